#include "files/DataFileWriter.h"
#include "files/DataFileReader.h"

#include "shell/RuntimeError.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <sstream>

namespace kemvo {
namespace {

// Blank or sign, potential, blank, comma, blank or sign, value, blank.
TEST(DataLine, PutsABlankWhereANonNegativeNumberHasNoSignAndRefusesNonFinite) {
    EXPECT_EQ(dataLine(0.25, 1.5e-5), " 0.25 , 1.5E-05 ");
    EXPECT_EQ(dataLine(-0.25, -1.5e-5), "-0.25 ,-1.5E-05 ");
    EXPECT_EQ(dataLine(0, 0), " 0 , 0 ");
    EXPECT_EQ(dataLine(-0.3, 2e20), "-0.3 , 2E+20 ");
    EXPECT_THROW(dataLine(0.1, std::numeric_limits<double>::infinity()), RuntimeError);
    EXPECT_THROW(dataLine(std::nan(""), 1), RuntimeError);
}

struct Curves {
    PointArray potential;
    PointTable<6> curves;
    std::string exported(int first, int last, int curve) const {
        std::ostringstream out;
        ExportCurve(out, first, last, potential, curves, curve);
        return out.str();
    }
};

TEST(ExportCurve, WritesTheChosenPointsOfTheChosenColumnAndNothingBeforeData) {
    Curves data;
    EXPECT_EQ(data.exported(0, 0, 0), "");
    for (int i = 1; i <= 4; ++i) {
        data.potential(i) = 0.1 * i;
        data.curves(i, 1) = 100 + i;
        data.curves(i, 2) = -i;
    }
    EXPECT_EQ(data.exported(2, 3, 2), " 0.2 ,-2 \n 0.30000000000000004 ,-3 \n");
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
    Curves original;
    for (int i = 1; i <= kMaxPoints; ++i) {
        original.potential(i) = anyFinite();
        original.curves(i, 4) = anyFinite();
    }
    original.potential(1) = std::numeric_limits<double>::max();
    original.curves(1, 4) = std::numeric_limits<double>::denorm_min();
    original.potential(2) = -std::numeric_limits<double>::min();
    original.curves(2, 4) = 0.1;

    const std::string first = original.exported(1, kMaxPoints, 4);
    Curves imported;
    std::istringstream in(first);
    ASSERT_EQ(readPairs(in, imported.potential, imported.curves, 2), kMaxPoints);
    for (int i = 1; i <= kMaxPoints; ++i) {
        ASSERT_EQ(imported.potential(i), original.potential(i)) << "point " << i;
        ASSERT_EQ(imported.curves(i, 2), original.curves(i, 4)) << "point " << i;
    }
    EXPECT_EQ(imported.exported(1, kMaxPoints, 2), first);
}

} // namespace
} // namespace kemvo
