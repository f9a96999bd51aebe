#include "analysis/HalfwavePotential.h"

#include "Session.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

namespace kemvo {
namespace {

constexpr double kF_RT = 96484.6 / (8.31441 * 298.14); // [1/V]

std::unique_ptr<CurveStore> curveOf(int n, double eStart, double h,
                                    const std::function<double(double)> &y) {
    auto store = std::make_unique<CurveStore>();
    for (int i = 1; i <= n; ++i) {
        store->potential(i) = eStart - h * (i - 1);
        store->curves(i, 1) = y(store->potential(i));
    }
    return store;
}

TEST(FindHalfwave, ReversibleWavesOnShiftedGrids) {
    // A reversible reduction wave y = -Id / (1 + exp(n f (E - E1/2))) (Bard and Faulkner,
    // section 5.4). The band of +-5 % of the half height spans +-0.1/(n f) = 2.57/n mV around
    // E1/2, so the point found lies within 2.6/n mV plus one step of it, or none is found.
    const double id = 2.4e-4, eHalf = 0.1;
    int found = 0, missed = 0;
    for (int n : {1, 2})
        for (double h : {0.001, 0.005})
            for (double shift : {0.0, 0.3, 0.5, 0.8}) {
                // 0.4 V either side of E1/2: foot and plateau within exp(-15.5) of their limits.
                const int points = static_cast<int>(std::lround(0.8 / h));
                auto store = curveOf(points, eHalf + 0.4 + shift * h, h, [&](double E) {
                    return -id / (1 + std::exp(n * kF_RT * (E - eHalf)));
                });
                const HalfWave wave = findHalfwave(*store, 1, points);
                EXPECT_NEAR(wave.height, id, 1e-6 * id);
                if (!wave.potential) {
                    ++missed;
                    continue;
                }
                ++found;
                EXPECT_NEAR(*wave.potential, eHalf, 0.0026 / n + h) << n << " " << h;
            }
    EXPECT_GT(found, 0);
    EXPECT_GT(missed, 0); // n = 2 on 5 mV steps skips the band
}

TEST(FindHalfwave, AWaveThatSkipsTheBandHasNoHalfwavePotentialButItsHeight) {
    // A step of 2 uA between two points of 10 mV: no point within 5 % of the half height.
    auto step = curveOf(40, 0.29, 0.01, [](double E) { return E > 0.095 ? 0 : -2e-6; });
    const HalfWave wave = findHalfwave(*step, 1, 40);
    EXPECT_FALSE(wave.potential.has_value());
    EXPECT_NEAR(wave.height, 2e-6, 1e-18);
}

TEST(FindHalfwave, SimulatedDcWave) {
    // The reversible DC wave of the initial parameters has E1/2 = E0 = 0.1 V (equal D); steps
    // of 5 mV, so within 2.6 mV plus a step as above.
    Session session;
    ASSERT_EQ(session.run({"optTech(2)=1", "mnuSimulate", "mnuFindHalfwaveE"}), 0);
    const HalfWave wave = findHalfwave(session.app.store(), 1, session.app.state().pointCount);
    ASSERT_TRUE(wave.potential.has_value());
    EXPECT_NEAR(*wave.potential, 0.1, 0.0026 + 0.005);
    EXPECT_EQ(session.lines().size(), 1u); // one curve, one line
}

} // namespace
} // namespace kemvo
