// The two-dimensional microdisc simulation against the disc's published solutions.

#include "Simulation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace kemvo {
namespace {

// A microdisc of radius r [cm] with the area pi r^2 the parameters window derives.
ExperimentState disc(int technique, double r) {
    ExperimentState s = experiment(technique, 4, 1);
    s.radius = r;
    s.area = M_PI * r * r;
    return s;
}

double steadyCurrent(double r) { // 4 n F D C r (Saito 1968)
    return 4 * kF * kD * 1e-6 * r;
}

TEST(Microdisc, SweepReachesTheSteadyCurrentOfTheDisc) {
    // r = 1 um at 10 mV/s: the plateau 400 mV past E0 is 4 n F D C r within 1 % (what remains
    // of the transient after 20 s is f(tau) - 1 < 0.3 %, Shoup and Szabo). Equal diffusion
    // coefficients: the steady wave is half high at E0 (point 41).
    const Simulation run = simulated(disc(1, 1e-4));
    EXPECT_NEAR(-run.last() / steadyCurrent(1e-4), 1.0, 0.01);
    ASSERT_NEAR(run.E(41), 0.1, 1e-12);
    EXPECT_NEAR(run.total(41) / run.last(), 0.5, 0.01);
}

TEST(Microdisc, SteadyWaveOfUnequalDiffusionCoefficientsShiftsByTheirRatio) {
    // The steady reversible wave is half high at E0 + (RT/nF) ln(mR/mO) (Bard and Faulkner,
    // 2nd ed., section 1.4), and a disc's mass-transfer coefficient 4 D/(pi r) goes as D: the
    // shift is (RT/nF) ln(DB/DA). 1 mV steps at 1 mV/s on r = 1 um, read by interpolation to
    // 0.5 mV.
    for (double dB : {5e-6, 2e-5}) {
        ExperimentState s = disc(1, 1e-4);
        s.eStep = 0.001;
        s.scanRate = 0.001;
        s.dropTime = 1;
        s.diffusion[2] = dB;
        const Simulation run = simulated(s);
        const double plateau = run.last();
        double halfWave = NAN;
        for (int i = 2; i <= run.state.pointCount && std::isnan(halfWave); ++i)
            if (run.total(i) / plateau >= 0.5) {
                const double w = (0.5 - run.total(i - 1) / plateau) /
                                 ((run.total(i) - run.total(i - 1)) / plateau);
                halfWave = run.E(i - 1) + w * (run.E(i) - run.E(i - 1));
            }
        EXPECT_NEAR(halfWave, 0.1 + std::log(dB / kD) / kf, 5e-4) << dB;
    }
}

TEST(Microdisc, StepCurrentFollowsShoupAndSzabo) {
    // Diffusion-limited step sampled after 100 implicit steps; Shoup and Szabo's expression
    // f(tau) = 0.7854 + 0.8862 tau^-1/2 + 0.2146 exp(-0.7823 tau^-1/2), tau = 4 D t / r^2, is
    // itself good to 0.6 %: 2 %, over two radii (the simulation is dimensionless in D t/r^2).
    for (double r : {1e-4, 1e-2})
        for (double tau : {1.0, 3.0, 10.0, 30.0, 100.0}) {
            ExperimentState s = disc(2, r);
            s.eStart = s.eEnd = -0.5;
            s.dropTime = tau * r * r / (4 * kD);
            s.pulseTime = s.dropTime / 100;
            const double x = 1 / std::sqrt(tau);
            const double f = 0.7854 + 0.8862 * x + 0.2146 * std::exp(-0.7823 * x);
            EXPECT_NEAR(-simulated(s).last() / (steadyCurrent(r) * f), 1.0, 0.02)
                << "r " << r << " tau " << tau;
        }
}

TEST(Microdisc, ReversibleSweepPeakFollowsAoki) {
    // Aoki, Akimoto, Tokuda, Matsuda and Osteryoung, J. Electroanal. Chem. 171 (1984) 219:
    // ip / (4 n F D C r) = 0.34 exp(-0.66 p) + 0.66 - 0.13 exp(-11/p) + 0.351 p,
    // p = r sqrt(n F v / (R T D)), within 3 % (the expression fits their computed peaks to
    // better than 1 %; 1 mV steps at 0.1 V/s).
    for (double p : {1.0, 3.0, 10.0}) {
        const double r = p / std::sqrt(kf * 0.1 / kD);
        ExperimentState s = disc(1, r);
        s.scanRate = 0.1;
        s.eStep = 0.001;
        s.dropTime = 0.01;
        const Simulation run = simulated(s);
        const double psi = 0.34 * std::exp(-0.66 * p) + 0.66 - 0.13 * std::exp(-11 / p) + 0.351 * p;
        EXPECT_NEAR(-run.total(run.peak()) / (steadyCurrent(r) * psi), 1.0, 0.03) << "p " << p;
    }
}

TEST(Microdisc, SlowKineticsGiveTheKineticCurrentOfTheWholeDisc) {
    // With ks = 1e-7 cm/s the transfer rate kf stays far below the disc's mass transfer
    // 4 D/(pi r) = 0.13 cm/s, so the current is n F A kf C over the whole disc, its strips
    // weighted by their areas: 1e-3, the surface being depleted by kf/m < 4e-5 only.
    ExperimentState s = disc(2, 1e-4);
    s.eStart = s.eEnd = -0.1;
    s.ks[1] = 1e-7;
    const double kfAtE = 1e-7 * std::exp(-0.5 * kf * (-0.1 - 0.1));
    EXPECT_NEAR(-simulated(s).last() / (kF * s.area * kfAtE * 1e-6), 1.0, 1e-3);
}

TEST(Microdisc, ChemistryRunsAtTheHemisphereOfEqualSteadyCurrent) {
    // A mechanism the disc simulation does not solve runs on the hemisphere of radius pi r/4,
    // whose steady current is the disc's. Mechanism 7 with no follow-up (kf = kb = 0) is the
    // simple couple: its plateau is 4 n F D C r within 1 %.
    ExperimentState s = disc(1, 1e-4);
    setMechanism(s, 7);
    s.kf[1] = 0;
    s.kb[1] = 1e-6; // lambda needs kf + kb > 0
    EXPECT_NEAR(-simulated(s).last() / steadyCurrent(1e-4), 1.0, 0.01);
}

} // namespace
} // namespace kemvo
