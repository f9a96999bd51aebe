// A simulated curve read at measured potentials, on hand-made axes whose values are worked
// out by hand: the programme repeats its vertex, the measured curve does not.

#include "fitting/MeasuredAxis.h"

#include <gtest/gtest.h>

#include <vector>

namespace kemvo {
namespace {

// Programme: 0, 0.1, 0.2, 0.2, 0.1, 0 V (out and back, the vertex twice); the simulated
// column holds 10 x the point number, so a read value tells the point and the share.
const std::vector<double> kProgramme{0, 0.1, 0.2, 0.2, 0.1, 0};
double column(int j) {
    return 10.0 * j;
}

TEST(MeasuredAxis, EachMeasuredPotentialIsReadWithinItsOwnSweep) {
    // Measured: 0, 0.05, 0.2 (the vertex, once), 0.15, 0.02 V. By hand:
    //   0     -> point 1                      = 10
    //   0.05  -> halfway from point 1 to 2    = 15
    //   0.2   -> point 3 (end of segment 2-3) = 30
    //   0.15  -> halfway from point 4 to 5    = 45 (the back sweep, not the forward 25)
    //   0.02  -> 0.8 of the way from 5 to 6   = 58
    const std::vector<double> measured{0, 0.05, 0.2, 0.15, 0.02};
    auto map = MeasuredAxisMap::build(measured, kProgramme, 0.05);
    ASSERT_TRUE(map.has_value());
    const double expected[] = {10, 15, 30, 45, 58};
    ASSERT_EQ(map->size(), 5u);
    for (std::size_t i = 1; i <= 5; ++i)
        EXPECT_NEAR(map->read(i, column), expected[i - 1], 1e-12) << i;
    // Within the tolerance of 0.05 V past the vertex the sweep's end is read, beyond it and on
    // a third sweep nothing is.
    EXPECT_EQ(MeasuredAxisMap::build({0, 0.22, 0.1}, kProgramme, 0.05).value().read(2, column), 30);
    EXPECT_FALSE(MeasuredAxisMap::build({0, 0.1, 0.3, 0.1}, kProgramme, 0.05).has_value());
    EXPECT_FALSE(MeasuredAxisMap::build({0, 0.2, 0, 0.1}, kProgramme, 0.05).has_value());
}

} // namespace
} // namespace kemvo
