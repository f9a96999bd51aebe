// Unequal diffusion coefficients and chemical steps in the finite-difference engine against
// their textbook limits.

#include "Simulation.h"

#include <gtest/gtest.h>

namespace kemvo {
namespace {

// A reversible cycle at 10 mV/s, swept in `step` [V].
ExperimentState sweep(double step) {
    ExperimentState s = experiment(1, 1, 1);
    s.eStep = step;
    s.dropTime = step / s.scanRate;
    s.cycles = 1;
    return s;
}

TEST(DigitalDiffusion, EachSpeciesDiffusesAtItsOwnRate) {
    // D_B = D_A / 4: the reversible wave sits at E1/2 = E0 + (RT/2nF) ln(D_B/D_A) and the peak
    // 1.109 RT/nF below it, at E0 - 46.3 mV (Bard and Faulkner, 6.2.4, 5.4.22); the peak current
    // still Randles-Sevcik with D_A (0.2 %). Peaks read on a 1 mV grid: 0.5 mV. The standard
    // grid is a staircase sampled at the end of each step, whose peak lies up to 1.5 mV later
    // and 1 % off.
    const double expected = 0.1 + std::log(0.25) / (2 * kf) - 1.109 / kf;
    for (bool fine : {false, true}) {
        ExperimentState s = sweep(0.001);
        s.diffusion[2] = kD / 4;
        const Simulation r = simulated(s, fine);
        EXPECT_NEAR(r.E(r.peak()), expected, fine ? 0.0005 + 1e-9 : 0.002) << fine;
        EXPECT_NEAR(r.total(r.peak()) / -kRandlesSevcik, 1.0, fine ? 0.002 : 0.01) << fine;
    }
}

TEST(DigitalChemistry, SlowOrFrozenStepsLeaveTheChargeTransferAlone) {
    // EC with k = 1e-3 s^-1 reacts too little during the sweep, and one with kf + kb = 0 not
    // at all: the peak of plain E, E1/2 - 28.5 mV (to half a step), at steps up to 5 mV on
    // both grids (the standard grid's staircase up to 1.5 mV later, as for plain E).
    for (double k : {1e-3, 0.0})
        for (bool fine : {false, true})
            for (double step : {0.001, 0.002, 0.005}) {
                ExperimentState s = sweep(step);
                setMechanism(s, 7);
                s.kf[1] = k;
                s.kb[1] = 0;
                const Simulation r = simulated(s, fine);
                EXPECT_NEAR(r.E(r.peak()), 0.1 - 1.109 / kf, step / 2 + (fine ? 0.0003 : 0.0015))
                    << "k " << k << " step " << step << " fine " << fine;
            }
}

TEST(DigitalChemistry, FrozenPrecedingEquilibriumLeavesItsShareOfA) {
    // CE (C = A ahead of A + e = B) with kf = 1e-9 Keq, kb = 1e-9 s^-1 and Keq = 0.1: only the
    // equilibrium share Keq/(1 + Keq) of the total is A, and it gives the reversible peak of
    // plain E at E0 - 28.5 mV with that concentration (1 mV grid: 0.5 mV, the standard grid's
    // staircase 2 mV; current 1 %).
    for (bool fine : {false, true}) {
        ExperimentState s = sweep(0.001);
        setMechanism(s, 5);
        s.kf[1] = 1e-10;
        s.kb[1] = 1e-9;
        s.cInit = {0, 1e-3 * 0.1 / 1.1, 0, 1e-3 / 1.1, 0, 0};
        const Simulation r = simulated(s, fine);
        EXPECT_NEAR(r.E(r.peak()), 0.1 - 1.109 / kf, fine ? 0.0005 + 1e-9 : 0.002) << fine;
        EXPECT_NEAR(r.total(r.peak()) / -(kRandlesSevcik / 11), 1.0, 0.01) << fine;
    }
}

TEST(DigitalChemistry, EceDoublesThePlateauOnlyWhenTheChemistryIsFast) {
    // A + e = B, B = C, C + e = D with E0(C/D) = -0.1 V: far past both waves (DC at -0.6 V, drop
    // 0.5 s) fast chemistry (1e4 s^-1) turns every B into a second electron, slow chemistry
    // (1e-6 s^-1) none: 2 and 1 times Cottrell, within 0.5 %.
    for (auto [k, electrons] : {std::pair{1e4, 2.0}, std::pair{1e-6, 1.0}}) {
        ExperimentState s = experiment(2, 1, 1);
        setMechanism(s, 11);
        s.eEnd = -0.6;
        s.kf[1] = k;
        s.kb[1] = 0;
        const Simulation r = simulated(s);
        EXPECT_NEAR(-r.last() / cottrell(0.5), electrons, 0.005 * electrons) << k;
    }
}

TEST(DigitalChemistry, DimerisationFollowsThePureKineticZone) {
    // EC2, A + e = B, 2B = C irreversible and fast (kf C = 1e4 s^-1): in the pure kinetic zone
    // the peak moves 19.7 mV negative per decade of scan rate, is 38.8 mV wide from Ep/2 to Ep
    // and Psi_p = 0.527 (Olmstead, Hamilton and Nicholson 1969; Andrieux, Nadjo and Saveant
    // 1970). Fine grid, 0.5 mV steps; 0.3 mV, 0.5 mV and 1 %.
    auto peak = [](double rate) {
        ExperimentState s = experiment(1, 1, 1);
        setMechanism(s, 8);
        s.eStep = 0.0005;
        s.scanRate = rate;
        s.dropTime = s.eStep / rate;
        s.eEnd = 0.0;
        s.kf[1] = 1e7; // [1/(M s)] with 1 mM of A
        s.kb[1] = 0;
        const Simulation run = simulated(s, true);
        const Simulation::Peak top = run.parabolaPeak();
        return std::array<double, 3>{-top.i / (kFAC * std::sqrt(kf * rate * kD)), top.E,
                                     run.potentialAt(top.i / 2)};
    };
    const auto slow = peak(0.01), fast = peak(0.1);
    EXPECT_NEAR((slow[1] - fast[1]) * 1000, 19.7, 0.3);
    EXPECT_NEAR((slow[2] - slow[1]) * 1000, 38.8, 0.5);
    EXPECT_NEAR(slow[0] / 0.527, 1.0, 0.01);
}

TEST(DigitalChemistry, StiffDimerisationLeavesTheDiffusionLimitedEndOfEveryTechnique) {
    // A chemical step after the electron transfer cannot change the current where A is
    // reduced as fast as it arrives: 0.4 V past E0, DC is Cottrell's current at td, and the
    // square wave's two half-periods both lie on the plateau, so their difference vanishes.
    // kf = 1e7 /(M s) makes the second-order step stiff (kf C dt = 500 over a half-period),
    // where a frozen linearisation must be renewed. 0.5 % of Cottrell; 1 % of the peak.
    ExperimentState s = experiment(2, 1, 1);
    setMechanism(s, 8);
    s.kf[1] = 1e7;
    s.kb[1] = 0;
    EXPECT_NEAR(-simulated(s).last() / cottrell(0.5), 1.0, 0.005);
    s.technique = 5;
    const Simulation wave = simulated(s);
    const double peak = -wave.total(wave.peak());
    EXPECT_GT(peak, 0);
    EXPECT_LT(std::fabs(wave.last()), 0.01 * peak);
}

// A sweep of 6 s (1 mV steps at 0.1 V/s) on the fine grid, whose point i lies at i td,
// with the electrode all but inert (ks = 1e-12 cm/s) and only `species` present at 1 mM: the
// solution stays uniform and its surface follows the homogeneous kinetics alone.
ExperimentState homogeneous(int mechanism, int species) {
    ExperimentState s = experiment(1, 1, 1);
    setMechanism(s, mechanism);
    s.eStep = 0.001;
    s.scanRate = 0.1;
    s.dropTime = 0.01;
    s.ks[1] = 1e-12;
    s.cInit = {};
    s.cInit[species] = 1e-3;
    return s;
}

TEST(BackReactions, DimerSettlesAtTheRatioItsConstantsPrescribe) {
    // 2B = C from 1 mM of B with kf = 1e3 /(M s), kb = 1 /s: C/B^2 = kf/kb = 1e3 /M with
    // B + 2C = 1 mM gives B = 0.5 mM, C = 0.25 mM. On the way u = B obeys
    // du/dt = -2 kf u^2 + kb (B0 - u) = -2 kf (u - u1)(u - u2), u1 = 0.5 mM, u2 = -1 mM, so
    // (u - u1)/(u - u2) = 0.25 exp(-3 t). Every point within 0.02 % of B0 (the sub-steps' error is
    // 0.005 %); B + 2C to 1e-6.
    ExperimentState s = homogeneous(8, 2);
    s.kf[1] = 1e3;
    s.kb[1] = 1;
    const Simulation run = simulated(s, true);
    const double u1 = 5e-4, u2 = -1e-3;
    for (int i = 1; i <= run.state.pointCount; ++i) {
        const double r = 0.25 * std::exp(-3 * i * s.dropTime);
        const double B = run.store->surfaceConc(i, 2), C = run.store->surfaceConc(i, 3);
        ASSERT_NEAR(B, (u1 - r * u2) / (1 - r), 2e-7) << i;
        ASSERT_NEAR(B + 2 * C, 1e-3, 1e-9) << i;
    }
    const double B = run.store->surfaceConc(run.state.pointCount, 2);
    EXPECT_NEAR(run.store->surfaceConc(run.state.pointCount, 3) / (B * B), 1e3, 1);
}

TEST(BackReactions, DimerisationAtAWorkingElectrodeKeepsAPlusBPlus2C) {
    // With equal D the electrode turns each A into one B and the dimer holds two B, so
    // A + B + 2C solves the diffusion equation with no flux at the electrode and stays 1 mM
    // everywhere, whatever kf and kb (a lost or doubled B in either direction of 2B = C
    // breaks it). The surface of every point of a cycle and of a DC run, to 1e-4 of 1 mM.
    for (int technique : {1, 2})
        for (double kb : {1.0, 1e3}) {
            ExperimentState s = experiment(technique, 1, 1);
            setMechanism(s, 8);
            s.cycles = 1;
            s.kf[1] = 1e6;
            s.kb[1] = kb;
            const Simulation run = simulated(s);
            for (int i = 1; i <= run.state.pointCount; ++i) {
                const CurveStore &c = *run.store;
                ASSERT_NEAR(c.surfaceConc(i, 1) + c.surfaceConc(i, 2) + 2 * c.surfaceConc(i, 3),
                            1e-3, 1e-7)
                    << "technique " << technique << " kb " << kb << " point " << i;
            }
        }
}

TEST(BackReactions, CatalystsBackStepSettlesAtKfOverKb) {
    // B + C = A + D with C and D in excess at 0.1 M: B -> A at kf C(C) = 2 /s and A -> B at
    // kb C(D) = 1 /s from 1 mM of B, so B = B0 (1 + 2 exp(-3 t))/3 and A/B -> kf/kb = 2.
    // Every point within 0.02 % of B0.
    ExperimentState s = homogeneous(16, 2);
    s.cInit[3] = s.cInit[4] = 0.1;
    s.kf[1] = 20;
    s.kb[1] = 10;
    const Simulation run = simulated(s, true);
    for (int i = 1; i <= run.state.pointCount; ++i) {
        const double t = i * s.dropTime;
        ASSERT_NEAR(run.store->surfaceConc(i, 2), 1e-3 * (1 + 2 * std::exp(-3 * t)) / 3, 2e-7) << i;
    }
    const int last = run.state.pointCount;
    EXPECT_NEAR(run.store->surfaceConc(last, 1) / run.store->surfaceConc(last, 2), 2, 0.002);
}

TEST(Mirror, OnlyBPresentGivesTheMirrorImageOfOnlyA) {
    // A + e = B from only B, swept or pulsed through the potentials mirrored about E0 (2 E0 - E)
    // with 1 - alpha, is the run from only A turned inside out: the same current of opposite
    // sign at every point. Quasi-reversible (ks = 1e-3 cm/s, alpha 0.3), so the kinetics and
    // both directions count; the grids are the same, so 1e-6 of the peak.
    for (int technique : {1, 2, 5}) {
        ExperimentState a = experiment(technique, 1, 1);
        a.cycles = 1;
        a.ks[1] = 1e-3;
        a.alpha[1] = 0.3;
        ExperimentState b = a;
        b.cInit = {0, 0, 1e-3, 0, 0, 0};
        b.alpha[1] = 0.7;
        b.eStart = 0.2 - a.eStart;
        b.eEnd = 0.2 - a.eEnd;
        b.pulseAmplitude = -a.pulseAmplitude;
        const Simulation fromA = simulated(a), fromB = simulated(b);
        const double peak = std::fabs(fromA.total(fromA.peak()));
        ASSERT_EQ(fromA.state.pointCount, fromB.state.pointCount);
        for (int i = 1; i <= fromA.state.pointCount; ++i)
            ASSERT_NEAR(fromB.total(i), -fromA.total(i), 1e-6 * peak)
                << "technique " << technique << " point " << i;
    }
}

} // namespace
} // namespace kemvo
