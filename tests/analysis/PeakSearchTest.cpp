// Find Peak on curves as a chemist meets them: simulated cycles with Gaussian noise drawn here,
// charging current under the peaks, cycles switched close to the peak, curves whose earlier
// search reported twins, valleys and vertices, and a real instrument export. The noise-free
// peaks are those of the simple test the search had before (a point above its neighbours two
// and four points away), written out here as the reference.

#include "analysis/PeakFinding.h"
#include "analysis/TheoreticalPeak.h"

#include "Session.h"
#include "support/DefaultExperiment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace kemvo {
namespace {

struct Simulated {
    Session session;
    explicit Simulated(std::vector<std::string> steps) {
        steps.push_back("mnuSimulate");
        EXPECT_EQ(session.run(steps), 0) << session.err.str();
    }
    const ExperimentState &state() { return session.app.state(); }
    CurveStore &store() { return session.app.store(); }
    CurvePeaks peaks(const std::optional<BaselineRange> &typed = std::nullopt) {
        const int last = state().lastPoint - 2;
        return findPeaks(store(), 1, peakSearchOf(state(), store(), 3, last, "current I", 1),
                         typed);
    }
};

// The reference: a point i is a peak when |y| rises over i-4, i-2, i-1 to i and falls over
// i+1, i+2, i+4 beyond it, above 2 % of the y axis, not within 4 points of an end or of the
// switching point S.
std::vector<Peak> simplePeaks(const ExperimentState &s, const CurveStore &store) {
    auto A = [&](int i) { return std::fabs(store.curves(i, 1)); };
    const double threshold = 0.02 * std::fabs(s.yMax - s.yMin);
    const int a = 3, b = s.lastPoint - 2, S = s.cycles >= 1 ? s.pointsPerSweep : 0;
    std::vector<Peak> peaks;
    for (int i = a + 4; i <= b - 4; ++i) {
        if (S > 0 && std::abs(i - S) < 4)
            continue;
        if (A(i - 2) > A(i - 4) && A(i + 2) > A(i + 4) && A(i - 1) > A(i - 2) &&
            A(i + 1) > A(i + 2) && A(i) >= A(i - 1) && A(i) >= A(i + 1) && A(i) > threshold)
            peaks.push_back({store.potential(i), store.curves(i, 1), std::nullopt, ""});
    }
    return peaks;
}

TEST(PeakSearch, NoiseFreeSimulationsGiveTheSamePeaksAsTheSimpleTest) {
    // Same count, Ep within half a step, Ip within 0.1 %: reversible cycles on 1 and 5 mV
    // steps, a single sweep, a cycle switched 170 mV past its peak, two cycles, a slow couple.
    const std::vector<std::vector<std::string>> cases = {
        {"option10=1", "Estep=0.001"}, {"option10=1"}, {"option9=1"},
        {"option10=1", "Eend=-0.1"},   {"Option11=1"}, {"option10=1", "ks(1)=0.001"}};
    for (const auto &steps : cases) {
        Simulated run(steps);
        SCOPED_TRACE(steps.back());
        const std::vector<Peak> expected = simplePeaks(run.state(), run.store());
        const CurvePeaks found = run.peaks();
        ASSERT_EQ(found.peaks.size(), expected.size());
        ASSERT_FALSE(expected.empty());
        for (std::size_t k = 0; k < expected.size(); ++k) {
            EXPECT_NEAR(found.peaks[k].potential, expected[k].potential,
                        0.5 * run.state().eStep + 1e-12);
            EXPECT_NEAR(found.peaks[k].value, expected[k].value,
                        1e-3 * std::fabs(expected[k].value));
        }
        EXPECT_EQ(found.smoothing, 0); // a noise-free curve is searched as it is
    }
}

TEST(PeakSearch, NoisyCyclesGiveOneForwardAndOneReversePeak) {
    // Gaussian noise of 1 % and 4 % of the forward peak (the Noise box's 4 and 16), five seeds
    // each, on 5 and 2 mV steps: exactly two peaks, each within two steps of the noise-free
    // Ep, Ip within 2 % (1 % noise) or 5 % (4 %). The parabola through ~20-50 points over the
    // top of the peak averages the noise down to a few tenths of its deviation.
    for (const char *step : {"0.005", "0.002"}) {
        Simulated run({"CheckFine=0", "option10=1", std::string("Estep=") + step});
        const CurvePeaks clean = run.peaks();
        ASSERT_EQ(clean.peaks.size(), 2u);
        const double h = run.state().eStep;
        const int n = run.state().pointCount;
        std::vector<double> y;
        for (int i = 1; i <= n; ++i)
            y.push_back(run.store().curves(i, 1));
        for (double share : {0.01, 0.04})
            for (unsigned seed = 1; seed <= 5; ++seed) {
                SCOPED_TRACE(testing::Message() << step << " V, " << share << ", seed " << seed);
                std::mt19937 random(seed);
                std::normal_distribution<double> noise(0, share * std::fabs(clean.peaks[0].value));
                for (int i = 1; i <= n; ++i)
                    run.store().curves(i, 1) = y[static_cast<std::size_t>(i - 1)] + noise(random);
                const CurvePeaks found = run.peaks();
                ASSERT_EQ(found.peaks.size(), 2u);
                EXPECT_GT(found.smoothing, 0);
                const double tolerance = share <= 0.01 ? 0.02 : 0.05;
                for (std::size_t k = 0; k < 2; ++k) {
                    EXPECT_NEAR(found.peaks[k].potential, clean.peaks[k].potential, 2 * h);
                    EXPECT_NEAR(found.peaks[k].value, clean.peaks[k].value,
                                tolerance * std::fabs(clean.peaks[k].value));
                }
                ASSERT_EQ(found.cycles.size(), 1u);
            }
    }
}

TEST(PeakSearch, BaselineTakesTheChargingCurrentOff) {
    // Cdl = 100 uF/cm^2 at 1 V/s adds Cdl A v = 1e-4 A, 12 % of the 8.49e-4 A peak
    // (Randles-Sevcik); measured from its baseline the peak is the one without charging, to
    // 0.5 % (what remains is the exponential foot of the wave under the flat stretch).
    Simulated bare({"option10=1", "V=1"});
    Simulated charged({"option10=1", "V=1", "Cdl=1e-4"});
    const CurvePeaks without = bare.peaks(), with = charged.peaks();
    ASSERT_FALSE(without.peaks.empty());
    ASSERT_FALSE(with.peaks.empty());
    const double ip = without.peaks[0].value;
    EXPECT_GT(std::fabs(with.peaks[0].value - ip), 0.1 * std::fabs(ip)); // the charging shows
    ASSERT_TRUE(with.peaks[0].fromBaseline);
    EXPECT_NEAR(*with.peaks[0].fromBaseline, ip, 0.005 * std::fabs(ip));
}

TEST(PeakSearch, ReversibleRatioFromTheBaselinesIsOneWhereverTheCycleSwitches) {
    // Measured from the forward current's decay, the reverse peak of a reversible couple equals
    // the forward one (Nicholson and Shain, Anal. Chem. 36 (1964) 706), also when the sweep
    // turns only 100 or 200 mV past Ep = 0.0715 V, where the decay is far from over; 5 % for
    // the extrapolated decay.
    for (const char *end : {"-0.0285", "-0.1285", "-0.3"}) {
        Simulated run({"option10=1", "Estep=0.001", std::string("Eend=") + end});
        SCOPED_TRACE(end);
        const CurvePeaks found = run.peaks();
        ASSERT_EQ(found.cycles.size(), 1u);
        ASSERT_TRUE(found.cycles[0].baselineRatio);
        EXPECT_NEAR(*found.cycles[0].baselineRatio, 1.0, 0.05);
    }
}

TEST(PeakSearch, TypedBaselineRangeIsTheLineThroughItsPoints) {
    // A cathodic bump of -1 on a background y = 0.5 (E - 0.3) - 0.2: the line typed over 0.3 to
    // 0.25 V is the background itself, so Ip (baseline) is the bump alone, -1 (to the 1e-6 of
    // the Gaussian's tails in the range).
    auto store = std::make_unique<CurveStore>();
    for (int i = 1; i <= 200; ++i) {
        const double E = 0.3 - 0.001 * (i - 1);
        store->potential(i) = E;
        store->curves(i, 1) =
            -std::exp(-0.5 * std::pow((i - 120) / 8.0, 2)) + 0.5 * (E - 0.3) - 0.2;
    }
    const PeakSearch search{3, 198, 0.02, 0.001};
    const CurvePeaks found = findPeaks(*store, 1, search, BaselineRange{0.3, 0.25});
    ASSERT_EQ(found.peaks.size(), 1u);
    ASSERT_TRUE(found.peaks[0].fromBaseline);
    EXPECT_NEAR(*found.peaks[0].fromBaseline, -1.0, 1e-5);
    const CurvePeaks outside = findPeaks(*store, 1, search, BaselineRange{0.5, 0.6});
    EXPECT_FALSE(outside.peaks[0].fromBaseline);
    EXPECT_EQ(outside.peaks[0].noBaseline, "no points in range");
}

TEST(PeakSearch, NoTwinsValleysOrVertices) {
    // Down-going sweep of 200 points: two cathodic bumps (an EE wave) leave a valley between them
    // that is no peak; a flat top of two equal points is one peak; a current still rising at the
    // end of the sweep is no peak.
    auto store = std::make_unique<CurveStore>();
    for (int i = 1; i <= 200; ++i) {
        store->potential(i) = 0.3 - 0.001 * (i - 1);
        double y = -std::exp(-0.5 * std::pow((i - 50) / 6.0, 2)) -
                   0.8 * std::exp(-0.5 * std::pow((i - 110) / 6.0, 2)) - 0.004 * i;
        store->curves(i, 1) = y;
    }
    store->curves(51, 1) = store->curves(50, 1); // a flat top
    const CurvePeaks found = findPeaks(*store, 1, PeakSearch{3, 198, 0.02, 0.001});
    ASSERT_EQ(found.peaks.size(), 2u);
    EXPECT_NEAR(found.peaks[0].potential, 0.251, 0.0011);
    EXPECT_NEAR(found.peaks[1].potential, 0.191, 0.0011);
}

TEST(PeakSearch, RealFerricyanideCyclesGiveOnePeakEachWay) {
    // Three cycles of 10 mM ferricyanide from -0.5 V (CH Instruments export, see the README of
    // the reference folder): each cycle one anodic peak near 0.09 V going positive and one
    // cathodic near -0.05 V coming back, none at the vertices +-0.5 V. The chemically reversible
    // couple measured from the baselines gives reverse/forward 1.0 in cycles 2 and 3 (the first
    // forward peak stands on the decay of the reduction held at -0.5 V before the scan).
    Session session;
    ASSERT_EQ(
        session.run({"mnuImport=" + std::string(KEMVO_TEST_DATA) +
                         "/../../../shared/reference/instruments/"
                         "chi-ferricyanide-6seg.csv",
                     "FormImport.ListCurve=10", "FormImport.CheckReverseSign=0", "FormImport.OK"}),
        0);
    const ExperimentState &s = session.app.state();
    const CurvePeaks found =
        findPeaks(session.app.store(), 1,
                  peakSearchOf(s, session.app.store(), 3, s.lastPoint - 2, "current I", 1));
    ASSERT_EQ(found.peaks.size(), 6u);
    for (std::size_t k = 0; k < 6; ++k) {
        const bool anodic = k % 2 == 0;
        EXPECT_NEAR(found.peaks[k].potential, anodic ? 0.09 : -0.05, 0.01) << k;
        EXPECT_EQ(found.peaks[k].value > 0, anodic) << k;
    }
    ASSERT_EQ(found.cycles.size(), 3u);
    for (std::size_t c = 1; c < 3; ++c) {
        ASSERT_TRUE(found.cycles[c].baselineRatio);
        EXPECT_NEAR(*found.cycles[c].baselineRatio, 1.0, 0.05);
        EXPECT_NEAR(found.cycles[c].separation, -0.14, 0.01);
    }
}

TEST(TheoreticalValues, AnOxidationIsTheMirroredReduction) {
    // The reduced form alone (C(A) = 0) is oxidised: Ep, Erev and the irreversible Ep mirror
    // those of the reduction about E0 and the currents change sign, when alpha -> 1 - alpha and
    // D(A) <-> D(B) (the couple seen from the other side). Sweep and DC at a planar electrode.
    for (int technique : {1, 2}) {
        ExperimentState reduction = experiment(technique);
        reduction.alpha[1] = 0.3;
        reduction.diffusion[1] = 1e-5;
        reduction.diffusion[2] = 2e-5;
        ExperimentState oxidation = reduction;
        oxidation.alpha[1] = 0.7;
        oxidation.diffusion[1] = 2e-5;
        oxidation.diffusion[2] = 1e-5;
        oxidation.cInit[2] = reduction.cInit[1];
        oxidation.cInit[1] = 0;
        const TheoreticalValues r = theoreticalValues(reduction, 1);
        const TheoreticalValues o = theoreticalValues(oxidation, 1);
        const double e0 = reduction.e0[1];
        EXPECT_NEAR(o.erev - e0, -(r.erev - e0), 1e-12);
        EXPECT_NEAR(*o.ep - e0, -(*r.ep - e0), 1e-12);
        EXPECT_NEAR(*o.epIrr - e0, -(*r.epIrr - e0), 1e-12);
        EXPECT_LT(*r.ip, 0);
        EXPECT_NEAR(*o.ip, -*r.ip, 1e-12 * std::fabs(*r.ip));
        EXPECT_NEAR(*o.ipIrr, -*r.ipIrr, 1e-12 * std::fabs(*r.ipIrr));
    }
    // By hand: equal D, n = 1, 298.14 K: the oxidation peak lies 1.109 RT/F = 28.5 mV above E0.
    ExperimentState s = experiment(1);
    s.cInit[2] = s.cInit[1];
    s.cInit[1] = 0;
    EXPECT_NEAR(*theoreticalValues(s, 1).ep, 0.1 + 1.109 * 8.31441 * 298.14 / 96484.6, 1e-9);
    EXPECT_NEAR(*theoreticalValues(s, 1).ip, 8.49548243e-5, 1e-12);
}

} // namespace
} // namespace kemvo
