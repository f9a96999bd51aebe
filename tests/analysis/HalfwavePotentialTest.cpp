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

TEST(FindHalfwave, FlatCurveAndMissingBand) {
    // A flat curve: h = 0, the first point is in the band [0, 0].
    auto flat = curveOf(50, 0.3, 0.005, [](double) { return -1e-6; });
    HalfWave wave = findHalfwave(*flat, 1, 50);
    ASSERT_TRUE(wave.potential.has_value());
    EXPECT_DOUBLE_EQ(*wave.potential, 0.3);
    EXPECT_EQ(wave.height, 0);

    // A step between two points: nothing within the band; the line says so, Id still printed.
    Session session;
    ExperimentState &s = session.app.state();
    s.pointCount = 40;
    s.curveCount = 2;
    for (int i = 1; i <= 40; ++i) {
        session.app.store().potential(i) = 0.3 - 0.01 * i;
        session.app.store().curves(i, 1) = i <= 20 ? 0 : -2e-6;
        session.app.store().curves(i, 2) = -1e-6;
    }
    FindHalfwaveE(session.app);
    ASSERT_EQ(session.lines().size(), 2u);
    EXPECT_EQ(session.lines()[0], "Peak  1 :     E1/2 = not found            Id =  2E-06 ");
    EXPECT_EQ(session.lines()[1], "Peak  2 :     E1/2 =  0.29  Id =  0 ");
}

TEST(FindHalfwave, SimulatedDcWave) {
    // The reversible DC wave of the initial parameters has E1/2 = E0 = 0.1 V (equal D); steps
    // of 5 mV.
    Session session;
    ASSERT_EQ(session.run({"optTech(2)=1", "mnuSimulate", "mnuFindHalfwaveE"}), 0);
    const ExperimentState &s = session.app.state();
    const HalfWave wave = findHalfwave(session.app.store(), 1, s.pointCount);
    ASSERT_TRUE(wave.potential.has_value());
    EXPECT_NEAR(*wave.potential, 0.1, 0.0026 + 0.005);
    ASSERT_EQ(session.lines().size(), 1u);
    EXPECT_EQ(session.lines()[0].substr(0, 21), "Peak  1 :     E1/2 = ");
}

} // namespace
} // namespace kemvo
