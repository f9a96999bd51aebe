#include "files/ParameterReport.h"

#include "shell/RuntimeError.h"

#include "support/DefaultExperiment.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

namespace kemvo {
namespace {

std::vector<std::string> linesOf(std::istream &in) {
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> reportLines(const ExperimentState &state) {
    std::ostringstream out;
    writeParameterReport(out, state);
    std::istringstream in(out.str());
    return linesOf(in);
}

// The parameters window's initial texts for mechanism 1 (A + e = B) after an intake, and a
// simulation of a single sweep of 121 points.
ExperimentState mechanismOne() {
    ExperimentState state = experiment();
    state.pointCount = 121;
    state.columnCount = 2;
    return state;
}

TEST(ParameterReport, MechanismOneMatchesTheHandWrittenFile) {
    std::ifstream expectedFile(KEMVO_TEST_DATA "/files/mechanism1.par");
    ASSERT_TRUE(expectedFile) << "missing " KEMVO_TEST_DATA "/files/mechanism1.par";
    const std::vector<std::string> expected = linesOf(expectedFile);
    const std::vector<std::string> written = reportLines(mechanismOne());
    ASSERT_EQ(written.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(written[i], expected[i]) << "line " << i + 1;
}

TEST(ParameterReport, SignAndSpeciesCountShapeTheReport) {
    ExperimentState state = mechanismOne();
    state.eStart = -0.45;  // the sign takes the blank's place
    state.columnCount = 0; // before the first intake: only the thirteen pairs
    std::vector<std::string> lines = reportLines(state);
    ASSERT_EQ(lines.size(), 26u);
    EXPECT_EQ(lines[6], "E start :");
    EXPECT_EQ(lines[7], "-0.45");
    EXPECT_EQ(lines[24], "NUMBER OF SPECIES :");
    EXPECT_EQ(lines[25], " 0");
    state.columnCount = 5; // the most the tables hold: 14 lines each
    EXPECT_EQ(reportLines(state).size(), 26u + 5 * 14);
    state.columnCount = 6;
    std::ostringstream out;
    EXPECT_THROW(writeParameterReport(out, state), RuntimeError);
    EXPECT_EQ(out.str(), "");
}

} // namespace
} // namespace kemvo
