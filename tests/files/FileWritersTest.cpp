// The two files the workbench writes: the data file of a curve and the parameter report.

#include "files/DataFileReader.h"
#include "files/DataFileWriter.h"
#include "files/ParameterReport.h"

#include "shell/RuntimeError.h"
#include "support/DefaultExperiment.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>

namespace kemvo {
namespace {

// Blank or sign, potential, blank, comma, blank or sign, value, blank.
TEST(DataLine, PutsABlankWhereANonNegativeNumberHasNoSignAndRefusesNonFinite) {
    EXPECT_EQ(dataLine(0.25, -1.5e-5), " 0.25 ,-1.5E-05 ");
    EXPECT_EQ(dataLine(-0.3, 2e20), "-0.3 , 2E+20 ");
    EXPECT_THROW(dataLine(0.1, std::numeric_limits<double>::infinity()), RuntimeError);
    EXPECT_THROW(dataLine(std::nan(""), 1), RuntimeError);
}

// 4000 doubles of every magnitude and sign, subnormals and the extremes included, go out and
// come back digit for digit.
TEST(ExportCurve, ExportImportExportGivesTheSameTextAndTheSameDoubles) {
    std::mt19937_64 random(20240611);
    auto anyFinite = [&random] {
        for (;;)
            if (double value = std::bit_cast<double>(random()); std::isfinite(value))
                return value;
    };
    PointArray potential, imported;
    PointTable<6> curves, importedCurves;
    for (int i = 1; i <= kMaxPoints; ++i) {
        potential(i) = anyFinite();
        curves(i, 4) = anyFinite();
    }
    potential(1) = std::numeric_limits<double>::max();
    curves(1, 4) = std::numeric_limits<double>::denorm_min();
    potential(2) = -std::numeric_limits<double>::min();
    curves(2, 4) = 0.1;

    std::ostringstream first, second;
    ExportCurve(first, 1, kMaxPoints, potential, curves, 4);
    std::istringstream in(first.str());
    ASSERT_EQ(readPairs(in, imported, importedCurves, 2), kMaxPoints);
    for (int i = 1; i <= kMaxPoints; ++i) {
        ASSERT_EQ(imported(i), potential(i)) << "point " << i;
        ASSERT_EQ(importedCurves(i, 2), curves(i, 4)) << "point " << i;
    }
    ExportCurve(second, 1, kMaxPoints, imported, importedCurves, 2);
    EXPECT_EQ(second.str(), first.str());
}

std::vector<std::string> linesOf(std::istream &in) {
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The parameters window's initial texts for mechanism 1 (A + e = B) after an intake, and a
// simulation of a single sweep of 121 points, written line for line as the hand-written file.
TEST(ParameterReport, MechanismOneMatchesTheHandWrittenFile) {
    ExperimentState state = experiment();
    state.pointCount = 121;
    state.columnCount = 2;
    std::stringstream written;
    writeParameterReport(written, state);
    std::ifstream expectedFile(KEMVO_TEST_DATA "/files/mechanism1.par");
    ASSERT_TRUE(expectedFile) << "missing " KEMVO_TEST_DATA "/files/mechanism1.par";
    EXPECT_EQ(linesOf(written), linesOf(expectedFile));
}

} // namespace
} // namespace kemvo
