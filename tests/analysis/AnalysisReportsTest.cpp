// The Analysis menu's reports. "&Find Peak" and "Find &Half-wave E" on synthetic curves whose
// peaks, areas and half-wave potentials are known in closed form, and Find Peak on the
// simulated reversible cycle against the textbook values; "Theoretical Peak" against the
// published values and the simulated curves.

#include "analysis/HalfwavePotential.h"
#include "analysis/PeakFinding.h"
#include "analysis/TheoreticalCurrents.h"
#include "analysis/TheoreticalPeak.h"

#include "Session.h"
#include "simulation/Simulation.h"
#include "support/DefaultExperiment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>

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
        findPeaks(session.app.store(), 1,
                  peakSearchOf(s, session.app.store(), 3, s.lastPoint - 2, "current I", 1));
    ASSERT_EQ(found.peaks.size(), 2u);
    EXPECT_NEAR(found.peaks[0].potential, 0.1 - 1.109 * kRT_F, 0.001);
    EXPECT_LT(found.peaks[0].value, 0); // reduction first
    ASSERT_EQ(found.cycles.size(), 1u);
    EXPECT_GE(found.cycles[0].separation, 0.056);
    EXPECT_LE(found.cycles[0].separation, 0.061);
    EXPECT_NEAR(found.cycles[0].nicholsonRatio, 1.0, 0.03);
    // The report names what it prints.
    const auto &lines = session.lines();
    for (const char *label :
         {"Ep2 - Ep1 = ", "Ip rev/Ip fwd (baseline) = ", "Ip rev/Ip fwd (Nicholson) = "})
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [&](const std::string &l) { return l.starts_with(label); }),
                  1)
            << label;
}

// A curve of 200 points from E = 0.3 V down in 1 mV steps (back up after the switching point
// when there is one), y(i) given, on a y axis of span 1.
struct Synthetic {
    std::unique_ptr<CurveStore> store = std::make_unique<CurveStore>();
    PeakSearch search;
    explicit Synthetic(const std::function<double(int)> &y, int switching = 0) {
        for (int i = 1; i <= 200; ++i) {
            const int k = switching > 0 && i > switching ? 2 * switching - i : i;
            store->potential(i) = 0.3 - 0.001 * (k - 1);
            store->curves(i, 1) = y(i);
        }
        search = {3, 198, 0.02, 0.001};
    }
    CurvePeaks peaks() const { return findPeaks(*store, 1, search); }
};

double bump(int i, int centre, double height = -1) {
    return height * std::exp(-0.5 * std::pow((i - centre) / 5.0, 2));
}

TEST(FindPeak, AThresholdOfTwoPercentOfThePlotsYAxis) {
    // The 2 % threshold: a bump of -0.015 passes an axis of span 0.5, not one of span 1.
    Synthetic small([](int i) { return bump(i, 100, -0.015); });
    EXPECT_TRUE(small.peaks().peaks.empty());
    Session session;
    ExperimentState &s = session.app.state();
    s.yMin = -0.25;
    s.yMax = 0.25;
    s.cycles = 0.5;
    small.search.threshold = peakSearchOf(s, *small.store, 3, 198, "current I", 1).threshold;
    EXPECT_EQ(small.peaks().peaks.size(), 1u);
}

TEST(FindPeak, TheAreaOfASingleSweepIsTheIntegralOfTheMagnitude) {
    // A Gaussian of height -1 and width 5 points of 1 mV: its integral is 5 sqrt(2 pi) mV, and
    // the rectangle sum of a Gaussian sampled this finely equals it to far below 1e-9.
    const CurvePeaks found = Synthetic([](int i) { return bump(i, 100); }).peaks();
    EXPECT_NEAR(found.area, 0.005 * std::sqrt(2 * M_PI), 1e-9);
    EXPECT_TRUE(found.cycles.empty()); // a single sweep has no ratio
}

TEST(FindPeak, RatioIsNicholsonsExpressionAndSeparationIsSigned) {
    // A cathodic bump of -1 at point 50 and an anodic one of 0.8 at point 150 on a baseline of
    // -0.1: peaks of -1.1 and 0.7, -0.1 at the switching point 100, so |ipa/ipc| =
    // 0.7/1.1 + 0.485 x 0.1/1.1 + 0.086 = 0.76650 (Nicholson 1966); Ep2 - Ep1 = 0 V (point
    // 150 lies at the potential of point 50 on the way back).
    Synthetic cycle([](int i) { return bump(i, 50) + bump(i, 150, 0.8) - 0.1; }, 100);
    const CurvePeaks found = cycle.peaks();
    ASSERT_EQ(found.peaks.size(), 2u);
    ASSERT_EQ(found.cycles.size(), 1u);
    EXPECT_NEAR(found.cycles[0].nicholsonRatio, 0.7 / 1.1 + 0.485 * 0.1 / 1.1 + 0.086, 1e-9);
    EXPECT_NEAR(found.cycles[0].separation, 0, 1e-12);
    // From the baselines: the forward bump stands 1 below the flat -0.1 foot; the reverse one
    // rises 0.8 above the forward decay (here flat at -0.1), so the ratio is 0.8 to 1e-6.
    ASSERT_TRUE(found.cycles[0].baselineRatio);
    EXPECT_NEAR(*found.cycles[0].baselineRatio, 0.8, 1e-3);
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

// Which values the table has for A + ne = B, by technique and electrode: reversible Ep and Ip,
// irreversible Ep and Ip.
struct Row {
    int technique, electrode;
    bool ep, ip, epIrr, ipIrr;
};

const Row kRows[] = {
    {1, 1, true, true, true, true},     {1, 2, false, true, false, false},
    {1, 3, false, true, false, false},  {1, 4, false, true, false, false},
    {1, 5, false, false, false, false}, {1, 6, false, false, false, false},
    {1, 7, true, true, false, false},   {1, 8, false, true, false, false},
    {2, 1, true, true, true, true},     {2, 2, false, true, false, false},
    {2, 3, false, true, false, false},  {2, 4, false, true, false, false},
    {2, 5, false, true, false, false},  {2, 6, false, true, false, false},
    {2, 7, false, false, false, false}, {2, 8, false, true, false, false},
    {3, 1, true, true, false, false},   {3, 4, true, true, false, false},
    {4, 1, true, true, false, false},   {5, 1, true, true, false, false},
};

TEST(TheoreticalValues, EveryRowOfTheSimpleCoupleHasItsValues) {
    for (const Row &row : kRows) {
        SCOPED_TRACE(testing::Message()
                     << "technique " << row.technique << " electrode " << row.electrode);
        ExperimentState s = experiment(row.technique, row.electrode);
        s.radius = 0.005;
        const TheoreticalValues v = theoreticalValues(s, 1);
        EXPECT_FALSE(v.onlyErev);
        EXPECT_DOUBLE_EQ(v.erev, 0.1); // equal diffusion coefficients
        EXPECT_EQ(v.ep.has_value(), row.ep);
        EXPECT_EQ(v.ip.has_value(), row.ip);
        EXPECT_EQ(v.epIrr.has_value(), row.epIrr);
        EXPECT_EQ(v.ipIrr.has_value(), row.ipIrr);
    }
}

// The published values at the windows' initial 298.14 K, n = 1, D = 1e-5 cm^2/s, 1 mM, 1 cm^2.
const double kF_RT = 1 / kRT_F; // [1/V]

TEST(TheoreticalValues, PlanarRowsAreThePublishedValues) {
    // Reversible sweep (Nicholson and Shain 1964, Table I): Ip = 0.4463 nFAC sqrt(f v D) at
    // E1/2 - 28.5/n mV at 25 C. Totally irreversible sweep (ibid.; Bard and Faulkner,
    // section 6.3): Ip = 0.4958 nFAC sqrt(alpha f v D) at
    // E0 - (0.780 + ln(sqrt(D alpha f v)/ks))/(alpha f). DC: Cottrell at td, E1/2 = E0 for equal
    // D, the irreversible wave half high at E0 + ln(2.312 ks sqrt(td/D))/(alpha f) (Oldham and
    // Parry 1968). Normal pulse: Cottrell at tp, the wave at E1/2 - Epulse on the base axis.
    // Differential pulse (Parry and Osteryoung 1965): the peak nFAC sqrt(D/(pi tp))
    // (sigma - 1)/(sigma + 1), sigma = exp(n f dE/2), at E1/2 - dE/2. Square wave, 10 mV steps
    // and 50 mV amplitude: net peak 0.9281 of Cottrell at tp at E1/2 (O'Dea, Osteryoung and
    // Osteryoung's table), signed like the pulse. alpha = 0.3 and ks = 1e-3 cm/s for
    // the irreversible columns; the rounding of the published digits: 3e-4 of a current, 0.1 mV.
    struct Case {
        int technique;
        double ep, ip, epIrr, ipIrr;
    };
    const double alpha = 0.3, ks = 1e-3, v = 0.01, td = 0.5, tp = 0.05, dE = -0.05;
    const double sigma = std::exp(kF_RT * dE / 2);
    const Case cases[] = {
        {1, 0.1 - 0.0285, -0.4463 * kFAC * std::sqrt(kF_RT * v * 1e-5),
         0.1 - (0.780 + std::log(std::sqrt(1e-5 * alpha * kF_RT * v) / ks)) / (alpha * kF_RT),
         -0.4958 * kFAC * std::sqrt(alpha * kF_RT * v * 1e-5)},
        {2, 0.1, -cottrell(td), 0.1 + std::log(2.312 * ks * std::sqrt(td / 1e-5)) / (alpha * kF_RT),
         -cottrell(td)},
        {3, 0.1 - dE, -cottrell(tp), NAN, NAN},
        {4, 0.1 - dE / 2, cottrell(tp) * (sigma - 1) / (sigma + 1), NAN, NAN},
        {5, 0.1, -0.9281 * cottrell(tp), NAN, NAN},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "technique " << c.technique);
        ExperimentState s = experiment(c.technique);
        s.eStep = 0.01;
        s.alpha[1] = alpha;
        s.ks[1] = ks;
        const TheoreticalValues found = theoreticalValues(s, 1);
        EXPECT_NEAR(*found.ep, c.ep, 1e-4);
        EXPECT_NEAR(*found.ip, c.ip, 3e-4 * std::fabs(c.ip));
        if (!std::isnan(c.ipIrr)) {
            EXPECT_NEAR(*found.epIrr, c.epIrr, 1e-4);
            EXPECT_NEAR(*found.ipIrr, c.ipIrr, 3e-4 * std::fabs(c.ipIrr));
        }
    }
}

TEST(TheoreticalValues, OtherElectrodesAgreeWithTheSimulatedCurve) {
    // Where the table's expression is exact or nearly so, the simulated curve of the same
    // experiment must show it (1e-4, the peak by a parabola on 1 mV steps within 0.2 mV): the
    // thin layer's peak n^2 F^2 v A L C/(4 R T) at E0 (Hubbard), the rotating disk's Levich
    // plateau, DC at a sphere nFADC (1/sqrt(pi D td) + 1/r0), read 0.4 V past E0. The sweep's
    // peak at a sphere, the planar peak plus 0.752 nFADC/r0 (Bard and Faulkner, section 6.2:
    // the steady term at the planar peak potential), is 0.35 % low at r0 = 0.5 mm, where the steady
    // term is a sixth of the peak: 0.6 %. (At r0 = 50 um, where the steady term dominates, it is
    // 9 % low: the sum peaks later than the planar term.)
    struct Case {
        int technique, electrode;
        double radius, tolerance;
    } cases[] = {{1, 2, 0.05, 0.006},
                 {1, 7, 0.005, 1e-4},
                 {1, 8, 0.005, 1e-4},
                 {2, 2, 0.005, 1e-4},
                 {2, 8, 0.005, 1e-4}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "technique " << c.technique << " electrode " << c.electrode);
        ExperimentState s = experiment(c.technique, c.electrode);
        s.radius = c.radius;
        s.eStep = 0.001;
        const TheoreticalValues v = theoreticalValues(s, 1);
        const Simulation run = simulated(s);
        const bool peaked = c.technique == 1 && c.electrode != 8;
        const double measured = peaked ? run.parabolaPeak().i : run.last();
        EXPECT_NEAR(*v.ip / measured, 1.0, c.tolerance);
        if (v.ep && peaked) {
            EXPECT_NEAR(*v.ep, run.parabolaPeak().E, 2e-4);
        }
    }
}

TEST(TheoreticalValues, CatalyticAndOtherMechanisms) {
    // nFAC sqrt(k D) at Erev: mechanism 9 with k = kf = 10/s gives F 1e-6 sqrt(1e-4) exactly;
    // mechanism 16 with k = kf C(C) = 10 * 2e-3 gives 4.3149225e-5 (by hand).
    ExperimentState s = experiment(2);
    s.mechanism = 9;
    TheoreticalValues v = theoreticalValues(s, 1);
    EXPECT_NEAR(*v.ip, -96484.6e-8, 1e-15); // a reduction
    EXPECT_DOUBLE_EQ(*v.ep, 0.1);
    s.mechanism = 16;
    s.cInit[3] = 2e-3;
    v = theoreticalValues(s, 1);
    EXPECT_NEAR(*v.ip, -4.3149225e-5, 1e-12);

    // Other mechanisms: Erev of each step from its own species, E0 + RT/(2F) ln(D(red)/D(ox)),
    // with RT/(2F) ln 2 = 8.9041 mV at 298.14 K; chain reaction 2 pairs B and C.
    s.mechanism = 2;
    s.chargeCount = 2;
    s.diffusion[2] = 2e-5;
    v = theoreticalValues(s, 2);
    EXPECT_TRUE(v.onlyErev);
    EXPECT_NEAR(v.erev, -0.1 - 0.0089041, 1e-7);
    EXPECT_FALSE(v.ip.has_value());
}

TEST(TheoreticalCurrents, CylinderAgainstTheExactTransient) {
    // i r0/(nFADC) from a numerical inversion of the Laplace-domain current
    // K1(sqrt s)/(sqrt s K0(sqrt s)) (Talbot's contour, 30 digits). Szabo et al. give their
    // expression as good to about 1.3 %; the long-time form of the row is 35 % high at tau = 10.
    const double tau[] = {0.1, 1, 10, 100, 1e4};
    const double exact[] = {2.248751, 0.983771, 0.533916, 0.345560, 0.195932};
    for (int k = 0; k < 5; ++k)
        EXPECT_NEAR(theory::cylinderStepCurrent(1, 1, tau[k], 1), exact[k], 0.013 * exact[k])
            << "tau " << tau[k];
}

TEST(TheoreticalCurrents, SquareWaveNetPeakAgainstTheTable) {
    // Tabulated reversible net peaks for n dEs = 10 mV at 25 C: 0.9281 (n Esw = 50 mV) and
    // 0.5798 (25 mV); four digits, the last one uncertain.
    const double f = 96484.6 / (8.31441 * 298.15);
    EXPECT_NEAR(theory::squareWaveNetPeak(0.01 * f, 0.05 * f), 0.9281, 2e-4);
    EXPECT_NEAR(theory::squareWaveNetPeak(0.01 * f, 0.025 * f), 0.5798, 3e-4);
}

TEST(TheoreticalPeakCommand, AZeroRateConstantNamesItsStepAndPrintsNothing) {
    Session session;
    EXPECT_EQ(session.run({"mnuSimulate", "ks(1)=0", "mnuCompId"}), 1);
    EXPECT_EQ(session.messages(),
              std::vector<std::string>{"ks (cm/s) of A+ne=B in \"Experimental\" "
                                       "must be greater than zero"});
    EXPECT_TRUE(session.lines().empty());
}

} // namespace
} // namespace kemvo
