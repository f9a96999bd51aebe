// "&Find Peak" and "Find &Half-wave E" on synthetic curves whose peaks, areas and half-wave
// potentials are known in closed form, and Find Peak on the simulated reversible cycle against
// the textbook values.

#include "analysis/HalfwavePotential.h"
#include "analysis/PeakFinding.h"

#include "Session.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

namespace kemvo {
namespace {

constexpr double kRT_F = 8.31441 * 298.14 / 96484.6; // [V] at the initial 25 C

TEST(FindPeak, DefaultReversibleCycle) {
    // E0 = 0.1 V, 1 mV steps: the forward peak within one step of E0 - 1.109 RT/F (Randles-
    // Sevcik), the separation 2.22-2.3 RT/F (57-59 mV, Nicholson), the ratio 1.00 +- 0.03.
    Session session;
    ASSERT_EQ(session.run({"option10=1", "Estep=0.001", "mnuSimulate", "mnuFindPeak"}), 0);
    const ExperimentState &s = session.app.state();
    const CurvePeaks found =
        findPeaks(session.app.store(), 1, peakSearchOf(s, session.app.store(), 3, s.lastPoint - 2));
    ASSERT_EQ(found.peaks.size(), 2u);
    EXPECT_NEAR(found.peaks[0].potential, 0.1 - 1.109 * kRT_F, 0.001);
    EXPECT_LT(found.peaks[0].value, 0); // reduction first
    ASSERT_TRUE(found.separation && found.ratio);
    EXPECT_GE(*found.separation, 0.056);
    EXPECT_LE(*found.separation, 0.061);
    EXPECT_NEAR(*found.ratio, 1.0, 0.03);
}

// A curve of 200 points from E = 0.3 V down in 1 mV steps, y(i) given, on a y axis of span 1.
struct Synthetic {
    std::unique_ptr<CurveStore> store = std::make_unique<CurveStore>();
    PeakSearch search;
    explicit Synthetic(const std::function<double(int)> &y, int switching = 0) {
        for (int i = 1; i <= 200; ++i) {
            store->potential(i) = 0.3 - 0.001 * (i - 1);
            store->curves(i, 1) = y(i);
        }
        search = {3, 198, switching, switching > 0, 0.02, 0.001};
    }
    CurvePeaks peaks() const { return findPeaks(*store, 1, search); }
};

double bump(int i, int centre, double height = -1) {
    return height * std::exp(-0.5 * std::pow((i - centre) / 5.0, 2));
}

TEST(FindPeak, EdgeCasesOfThePeakTest) {
    // A peak 3 points past the switching point, or 5 from the first point of the data (the
    // search reads from point 3 and tests from point 7): not found; one point farther: found.
    EXPECT_TRUE(Synthetic([](int i) { return bump(i, 103); }, 100).peaks().peaks.empty());
    EXPECT_EQ(Synthetic([](int i) { return bump(i, 104); }, 100).peaks().peaks.size(), 1u);
    EXPECT_TRUE(Synthetic([](int i) { return bump(i, 6); }).peaks().peaks.empty());
    EXPECT_EQ(Synthetic([](int i) { return bump(i, 7); }).peaks().peaks.size(), 1u);

    // The 2 % threshold: a bump of 0.015 passes an axis of span 0.5, not one of span 1.
    Synthetic small([](int i) { return bump(i, 100, 0.015); });
    EXPECT_TRUE(small.peaks().peaks.empty());
    Session session;
    ExperimentState &s = session.app.state();
    s.yMin = -0.25;
    s.yMax = 0.25;
    s.cycles = 0.5;
    small.search.threshold = peakSearchOf(s, *small.store, 3, 198).threshold;
    EXPECT_EQ(small.peaks().peaks.size(), 1u);
}

TEST(FindPeak, TheAreaOfASingleSweepIsTheIntegralOfTheMagnitude) {
    // A Gaussian of height -1 and width 5 points of 1 mV: its integral is 5 sqrt(2 pi) mV, and
    // the rectangle sum of a Gaussian sampled this finely equals it to far below 1e-9.
    const CurvePeaks found = Synthetic([](int i) { return bump(i, 100); }).peaks();
    EXPECT_NEAR(found.area, 0.005 * std::sqrt(2 * M_PI), 1e-9);
    EXPECT_FALSE(found.ratio.has_value()); // a single sweep has no ratio
}

TEST(FindPeak, RatioIsNicholsonsExpressionAndSeparationIsSigned) {
    // A cathodic bump of -1 at point 50 and an anodic one of 0.8 at point 150 on a baseline of
    // -0.1: peaks of -1.1 and 0.7, -0.1 at the switching point 100, so |ipa/ipc| =
    // 0.7/1.1 + 0.485 x 0.1/1.1 + 0.086 = 0.76650 (Nicholson 1966); Ep2 - Ep1 = -0.1 V (point
    // 150 lies 100 mV below point 50).
    Synthetic cycle([](int i) { return bump(i, 50) + bump(i, 150, 0.8) - 0.1; }, 100);
    const CurvePeaks found = cycle.peaks();
    ASSERT_EQ(found.peaks.size(), 2u);
    ASSERT_TRUE(found.ratio && found.separation);
    EXPECT_NEAR(*found.ratio, 0.7 / 1.1 + 0.485 * 0.1 / 1.1 + 0.086, 1e-9);
    EXPECT_NEAR(*found.separation, -0.1, 1e-12);
}

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
                    return -id / (1 + std::exp(n * (E - eHalf) / kRT_F));
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

} // namespace
} // namespace kemvo
