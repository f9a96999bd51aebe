#include "files/ParameterReport.h"

#include "shell/RuntimeError.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

namespace kemvo {
namespace {

std::vector<std::string> reportLines(const ExperimentState &state) {
    std::ostringstream out;
    writeParameterReport(out, state);
    std::istringstream in(out.str());
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The parameters window's initial texts for mechanism 1 (A + e = B) after an intake, and a
// simulation of a single sweep of 121 points.
ExperimentState mechanismOne() {
    ExperimentState state;
    state.technique = 1;
    state.mechanism = 1;
    state.electrode = 1;
    state.eStart = 0.3;
    state.eEnd = -0.3;
    state.eStep = 0.005;
    state.pulseTime = 0.05;
    state.dropTime = 0.5;
    state.area = 1;
    state.pulseAmplitude = -0.05;
    state.noisePercent = 0;
    state.pointCount = 121;
    state.columnCount = 2;
    for (std::size_t j = 1; j <= 4; ++j)
        state.diffusion[j] = 1e-5;
    state.cInit = {0, 1e-3, 0, 0, 0, 0};
    state.e0 = {0, 0.1, -0.1, -0.2, 0, 0};
    for (std::size_t r = 1; r <= 3; ++r) {
        state.ks[r] = 1e4;
        state.alpha[r] = 0.5;
        state.electrons[r] = 1;
    }
    return state;
}

TEST(ParameterReport, MechanismOneMatchesTheHandWrittenFile) {
    std::ifstream expectedFile(KEMVO_TEST_DATA "/files/mechanism1.par");
    ASSERT_TRUE(expectedFile) << "missing " KEMVO_TEST_DATA "/files/mechanism1.par";
    std::vector<std::string> expected;
    for (std::string line; std::getline(expectedFile, line);)
        expected.push_back(line);
    std::vector<std::string> written = reportLines(mechanismOne());
    ASSERT_EQ(written.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(written[i], expected[i]) << "line " << i + 1;
}

TEST(ParameterReport, NoSpeciesBeforeTheFirstIntakeGivesOnlyTheThirteenPairs) {
    ExperimentState state = mechanismOne();
    state.columnCount = 0;
    std::vector<std::string> lines = reportLines(state);
    ASSERT_EQ(lines.size(), 26u);
    EXPECT_EQ(lines[24], "NUMBER OF SPECIES :");
    EXPECT_EQ(lines[25], " 0");
}

TEST(ParameterReport, NegativeStartPotentialHasItsSignInPlaceOfTheBlank) {
    ExperimentState state = mechanismOne();
    state.eStart = -0.45;
    std::vector<std::string> lines = reportLines(state);
    EXPECT_EQ(lines[6], "E start :");
    EXPECT_EQ(lines[7], "-0.45");
}

TEST(ParameterReport, FiveSpeciesAreTheMostTheTablesHold) {
    ExperimentState state = mechanismOne();
    state.columnCount = 5;
    EXPECT_EQ(reportLines(state).size(), 26u + 5 * 14);
    state.columnCount = 6;
    std::ostringstream out;
    EXPECT_THROW(writeParameterReport(out, state), RuntimeError);
    EXPECT_EQ(out.str(), "");
}

} // namespace
} // namespace kemvo
