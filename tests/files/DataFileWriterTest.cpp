#include "files/DataFileWriter.h"
#include "files/DataFileReader.h"

#include "shell/RuntimeError.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <sstream>

namespace kemvo {
namespace {

struct LineCase {
    double potential;
    double value;
    const char *line;
};

class DataLine : public testing::TestWithParam<LineCase> {};

// Blank or sign, potential, blank, comma, blank or sign, value, blank.
TEST_P(DataLine, PutsABlankWhereANonNegativeNumberHasNoSign) {
    EXPECT_EQ(dataLine(GetParam().potential, GetParam().value), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(Signs, DataLine,
                         testing::Values(LineCase{0.25, 1.5e-5, " 0.25 , 1.5E-05 "},
                                         LineCase{-0.25, -1.5e-5, "-0.25 ,-1.5E-05 "},
                                         LineCase{0, 0, " 0 , 0 "},
                                         LineCase{-0.3, 2e20, "-0.3 , 2E+20 "}));

TEST(DataLine, RefusesAValueThatIsNotFinite) {
    EXPECT_THROW(dataLine(0.1, std::numeric_limits<double>::infinity()), RuntimeError);
    EXPECT_THROW(dataLine(std::nan(""), 1), RuntimeError);
}

struct Curves {
    PointArray potential;
    PointTable<6> curves;
};

std::string exported(const Curves &data, int first, int last, int curve) {
    std::ostringstream out;
    ExportCurve(out, first, last, data.potential, data.curves, curve);
    return out.str();
}

TEST(ExportCurve, WritesTheChosenPointsOfTheChosenColumn) {
    Curves data;
    for (int i = 1; i <= 4; ++i) {
        data.potential(i) = 0.1 * i;
        data.curves(i, 1) = 100 + i;
        data.curves(i, 2) = -i;
    }
    EXPECT_EQ(exported(data, 2, 3, 2), " 0.2 ,-2 \n 0.30000000000000004 ,-3 \n");
}

TEST(ExportCurve, WritesNothingBeforeAnyDataExists) {
    Curves data;
    EXPECT_EQ(exported(data, 0, 0, 0), "");
}

// Doubles of every magnitude and sign, subnormal ones and the extremes included.
double anyFiniteDouble(std::mt19937_64 &random) {
    for (;;) {
        double value = std::bit_cast<double>(random());
        if (std::isfinite(value))
            return value;
    }
}

TEST(ExportCurve, ExportImportExportGivesTheSameTextAndTheSameDoubles) {
    std::mt19937_64 random(20240611);
    Curves original;
    for (int i = 1; i <= kMaxPoints; ++i) {
        original.potential(i) = anyFiniteDouble(random);
        original.curves(i, 4) = anyFiniteDouble(random);
    }
    original.potential(1) = std::numeric_limits<double>::max();
    original.curves(1, 4) = std::numeric_limits<double>::denorm_min();
    original.potential(2) = -std::numeric_limits<double>::min();
    original.curves(2, 4) = 0.1;

    std::string first = exported(original, 1, kMaxPoints, 4);
    Curves imported;
    std::istringstream in(first);
    ASSERT_EQ(readPairs(in, imported.potential, imported.curves, 2), kMaxPoints);
    for (int i = 1; i <= kMaxPoints; ++i) {
        ASSERT_EQ(imported.potential(i), original.potential(i)) << "point " << i;
        ASSERT_EQ(imported.curves(i, 2), original.curves(i, 4)) << "point " << i;
    }
    EXPECT_EQ(exported(imported, 1, kMaxPoints, 2), first);
}

} // namespace
} // namespace kemvo
