// Sweeps with electrode kinetics and the catalytic closed forms, in closed form and (where the
// tables hold for both) on the fine grid of the finite-difference engine, against the published
// values of Nicholson and Shain (Anal. Chem. 36 (1964) 706) and Nicholson (Anal. Chem. 37
// (1965) 1351), and against steady states.

#include "Simulation.h"

#include <gtest/gtest.h>

namespace kemvo {
namespace {

// The dimensionless current i / (n F A C sqrt(D f v)).
double dimensionless(double current, double scanRate) {
    return std::fabs(current) / (kFAC * std::sqrt(kD * kf * scanRate));
}

TEST(SweepWithKinetics, NernstianPeakAtEveryPotentialStep) {
    // Psi_p = 0.4463 at E1/2 - 1.109 RT/F (Nicholson and Shain, Table I). 0.1 %: the bound of
    // the closed form; 0.1 mV covers the rounding of 1.109. The drop time is left at 0.5 s
    // throughout: a sweep's time runs at the scan rate.
    for (double step : {0.0005, 0.001, 0.002, 0.005}) {
        ExperimentState s = experiment();
        s.eStep = step;
        const Simulation::Peak peak = simulated(s).parabolaPeak();
        EXPECT_NEAR(dimensionless(peak.i, s.scanRate), 0.4463, 0.0004463) << step;
        EXPECT_NEAR(peak.E, 0.1 - 1.109 / kf, 1e-4) << step;
    }
}

TEST(SweepWithKinetics, QuasiReversiblePeakSeparationsOfNicholsonInBothModes) {
    // Nicholson 1965, Table I, alpha = 0.5, equal D, psi = k0 / sqrt(pi D f v): separations for
    // a switch 112.5 mV past E1/2, and 250 mV for psi = 0.1, whose forward peak lies beyond
    // 112.5 mV. 1 mV steps, the peaks read by parabolas, the switch on the grid: 0.5 mV in
    // closed form, 0.3 mV on the fine grid (the table's own rounding is 0.05 mV).
    struct Case {
        double psi, switchPast, separation; // -, [V], [mV]
    } cases[] = {{20, 0.1125, 61.0},   {5, 0.1125, 64.8},     {2, 0.1125, 72.1}, {1, 0.1125, 83.7},
                 {0.5, 0.1125, 104.7}, {0.25, 0.1125, 139.9}, {0.1, 0.25, 213.4}};
    for (int digital : {0, 1})
        for (const Case &c : cases) {
            ExperimentState s = experiment(1, 1, digital);
            s.scanRate = 0.1;
            s.eStep = 0.001;
            s.dropTime = s.eStep / s.scanRate;
            s.eEnd = 0.1 - c.switchPast;
            s.eStart = s.eEnd + 0.5; // a whole number of steps to the switch
            s.cycles = 1;
            s.ks[1] = c.psi * std::sqrt(M_PI * kD * kf * s.scanRate);
            const Simulation run = simulated(s, true);
            const int np = run.state.pointsPerSweep;
            const double separation =
                run.parabolaPeak(1, np + 1, 2 * np).E - run.parabolaPeak(-1, 1, np).E;
            EXPECT_NEAR(separation * 1000, c.separation, digital ? 0.3 : 0.5)
                << "psi " << c.psi << " digital " << digital;
        }
}

TEST(SweepWithKinetics, IrreversiblePeakOfNicholsonAndShainForEachAlphaInBothModes) {
    // Totally irreversible (ks = 1e-5 cm/s at 0.1 V/s): Psi_p / sqrt(alpha) = 0.4958,
    // Ep = E0 - (RT/(alpha F)) (0.780 + ln(sqrt(D)/ks) + ln sqrt(alpha f v)) and
    // |Ep - Ep/2| = 1.857 RT/(alpha F) = 47.7/alpha mV (Nicholson and Shain, Table I and eq.
    // 62). 0.5 % and 0.5 mV, what the closed form holds at any step and the fine grid at 1 mV.
    // An alpha read as 1 - alpha moves Ep/2 by 90 mV at alpha = 0.3.
    struct Case {
        int digital;
        double step; // [V]
    } cases[] = {{0, 0.0005}, {0, 0.002}, {0, 0.005}, {1, 0.001}};
    for (const Case &c : cases)
        for (double alpha : {0.3, 0.7}) {
            SCOPED_TRACE(testing::Message()
                         << "digital " << c.digital << " alpha " << alpha << " step " << c.step);
            ExperimentState s = experiment(1, 1, c.digital);
            s.scanRate = 0.1;
            s.eEnd = -0.7;
            s.eStep = c.step;
            s.dropTime = s.eStep / s.scanRate;
            s.ks[1] = 1e-5;
            s.alpha[1] = alpha;
            const Simulation run = simulated(s, true);
            const Simulation::Peak peak = run.parabolaPeak();
            const double af = alpha * kf;
            const double Ep =
                0.1 - (0.780 + std::log(std::sqrt(kD) / 1e-5) + std::log(std::sqrt(af * 0.1))) / af;
            EXPECT_NEAR(dimensionless(peak.i, 0.1) / std::sqrt(alpha), 0.4958, 0.0025);
            EXPECT_NEAR(peak.E, Ep, 5e-4);
            EXPECT_NEAR((peak.E - run.potentialAt(peak.i / 2)) * -1000, 47.7 / alpha, 0.5);
        }
}

TEST(SweepWithKinetics, SlowSweepAtAMicrosphereFollowsTheSteadyKineticWave) {
    // r0 = 0.1 um, ks = 1 cm/s: the steady flux (kf C) / (1 + (kf + kb) r0 / D) is reached
    // within r0^2/D = 1e-5 s, and the transient sqrt(D/(pi t)) left after seconds is 2e-4 of
    // D/r0; 0.1 % of the plateau.
    ExperimentState s = experiment(1, 2);
    s.radius = 1e-5;
    s.ks[1] = 1;
    const Simulation run = simulated(s);
    const double plateau = kFAC * kD / 1e-5;
    for (int i = 2; i <= s.pointCount; ++i) {
        const double phi = kf * (run.E(i) - 0.1);
        const double kfr = std::exp(-0.5 * phi) * 1e-5 / kD; // kf r0 / D
        const double kbr = std::exp(0.5 * phi) * 1e-5 / kD;
        ASSERT_NEAR(run.total(i), -plateau * kfr / (1 + kfr + kbr), 1e-3 * plateau) << i;
    }
}

// An EC' experiment: k' = lambda f v [1/s], the couple Nernstian.
ExperimentState catalytic(int technique, double kcat) {
    ExperimentState s = experiment(technique);
    setMechanism(s, 9);
    s.kf[1] = kcat;
    s.kb[1] = 0;
    return s;
}

TEST(Catalytic, SweepTurnsFromAPeakIntoAnSWaveAsTheCatalysisSpeedsUp) {
    // lambda = k' RT/(F v) = 100, the pure kinetic zone: plateau n F A C sqrt(D k') (Saveant
    // and Vianello 1965) within 1 % and its half-height at E0 within 1 mV. lambda = 1e-4: the
    // catalysis is negligible and the reversible peak 0.4463 at E0 - 1.109 RT/F returns (0.2 %
    // and 0.5 mV at 5 mV steps).
    const double fastCatalysis = 100 * kf * 0.01;
    const Simulation fast = simulated(catalytic(1, fastCatalysis));
    const double plateau = kFAC * std::sqrt(kD * fastCatalysis);
    EXPECT_NEAR(fast.last() / -plateau, 1.0, 0.01);
    EXPECT_NEAR(fast.potentialAt(-plateau / 2), 0.1, 0.001);

    const Simulation::Peak peak = simulated(catalytic(1, 1e-4 * kf * 0.01)).parabolaPeak();
    EXPECT_NEAR(dimensionless(peak.i, 0.01), 0.4463, 0.0009);
    EXPECT_NEAR(peak.E, 0.1 - 1.109 / kf, 5e-4);
}

TEST(Catalytic, StepCurrentIsTheCatalyticChronoamperogramAtTd) {
    // Diffusion-limited EC' step with equal D, the exact catalytic step current
    // n F A C sqrt(D) (sqrt(k') erf(sqrt(k' t)) + exp(-k' t)/sqrt(pi t)), sampled by the DC
    // curve 400 mV past E0 at td; 0.5 %.
    for (double kcat : {1.0, 10.0}) {
        const double td = 0.5;
        const double expected = kFAC * std::sqrt(kD) *
                                (std::sqrt(kcat) * std::erf(std::sqrt(kcat * td)) +
                                 std::exp(-kcat * td) / std::sqrt(M_PI * td));
        EXPECT_NEAR(simulated(catalytic(2, kcat)).last() / -expected, 1.0, 0.005) << kcat;
    }
}

TEST(Catalytic, ClosedFormAgreesWithTheEngineFromSlowToFastCatalysis) {
    // EC' over lambda = k' RT/(F v) from 0.01 (a peak hardly touched, where the kernel is taken
    // by its series) to 100 (the S-shaped plateau), forward and back: the integral equation and
    // the finite-difference engine on its fine grid, two methods sharing nothing but the
    // chemistry, agree at every point within 0.1 % of the largest current: 0.4 %.
    for (double lambda : {0.01, 0.1, 1.0, 10.0, 100.0}) {
        ExperimentState s = catalytic(1, lambda * kf * 0.01);
        s.cycles = 1;
        const Simulation closed = simulated(s);
        s.digital = 1;
        const Simulation digital = simulated(s, true);
        double largest = 0, worst = 0;
        for (int i = 1; i <= closed.state.pointCount; ++i)
            largest = std::max(largest, std::fabs(closed.total(i)));
        for (int i = 1; i <= closed.state.pointCount; ++i)
            worst = std::max(worst, std::fabs(closed.total(i) - digital.total(i)));
        EXPECT_LT(worst, 0.004 * largest) << "lambda " << lambda;
    }
}

} // namespace
} // namespace kemvo
