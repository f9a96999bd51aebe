// Every mechanism, technique and electrode, and what only the finite-difference engine does:
// chains of steps, the ohmic drop solved within each step, a singular block.

#include "NernstianSweepReference.h"
#include "Simulation.h"
#include "simulation/ClosedFormCatalogue.h"

#include <gtest/gtest.h>

namespace kemvo {
namespace {

class EveryCombination : public testing::TestWithParam<int> {};

// Digitally every mechanism, analytically the four with closed forms (mechanism 17 as a
// complex C in 1 M ligand). Only A (or C) is present and the sweep goes negative, so the
// largest current is a reduction and negative. The analytical cases without a closed form are
// refused before they run, as are the thin film and the rotating disk digitally.
TEST_P(EveryCombination, RunsWithFiniteValuesAndCathodicCurrent) {
    const int mechanism = GetParam();
    const bool closedForm = mechanism == 1 || mechanism == 4 || mechanism == 9 || mechanism == 17;
    for (int digital = closedForm ? 0 : 1; digital <= 1; ++digital)
        for (int technique = 1; technique <= 5; ++technique)
            for (int electrode = 1; electrode <= 8; ++electrode) {
                SCOPED_TRACE(testing::Message() << "digital " << digital << " technique "
                                                << technique << " electrode " << electrode);
                ExperimentState s = experiment(technique, electrode, digital);
                setMechanism(s, mechanism);
                if (mechanism == 17 && !digital)
                    s.cInit = {0, 0, 0, 1e-3, 1, 0};
                // The engine's grid has no film boundary and no convection: refused rather
                // than silently planar.
                if (digital ? electrode >= 7 : closedFormRefusal(s).has_value()) {
                    EXPECT_THROW(simulated(s), RuntimeError);
                    continue;
                }
                const Simulation run = simulated(s);
                EXPECT_TRUE(run.messages.empty());
                double extreme = 0;
                for (int p = 1; p <= run.state.pointCount; ++p) {
                    for (int j = 1; j <= s.chargeCount + 1; ++j) {
                        ASSERT_TRUE(std::isfinite(run.store->reactionCurrent(p, j)));
                        if (std::abs(run.store->reactionCurrent(p, j)) > std::abs(extreme))
                            extreme = run.store->reactionCurrent(p, j);
                    }
                    for (int species = 1; species <= s.speciesCount; ++species)
                        ASSERT_GE(run.store->surfaceConc(p, species), -1e-12) << "point " << p;
                }
                EXPECT_LT(extreme, 0.0);
            }
}

INSTANTIATE_TEST_SUITE_P(Mechanisms, EveryCombination, testing::Range(1, 18));

TEST(Kinetics, FastFollowUpReactionShiftsThePeakPositively) {
    // Pure kinetic zone (Nicholson and Shain 1964): Ep = E1/2 - RT/F (0.780 - ln sqrt(k/a)),
    // a = F v/(RT); here k/a = 257 and Ep = 0.151 V. 2 mV: two steps of the 1 mV staircase.
    ExperimentState s = experiment(1, 1, 1);
    s.eStep = 0.001;
    s.dropTime = 0.1;
    s.mechanism = 7;
    s.kf[1] = 100;
    s.kb[1] = 0;
    const Simulation ec = simulated(s);
    EXPECT_NEAR(ec.E(ec.peak()), 0.1 - (0.780 - 0.5 * std::log(100 / (0.01 * kf))) / kf, 0.002);
}

TEST(Kinetics, EveryChargeTransferOfAChainCarriesTheDiffusionLimitedCurrent) {
    // Past all standard potentials each intermediate is reduced as fast as it is made, so
    // every step passes the flux of A: the Cottrell current of the drop (3 % as for DC).
    for (Int16 steps : {2, 3}) {
        ExperimentState s = experiment(2, 1, 1);
        setMechanism(s, steps); // mechanisms 2 and 3 have 2 and 3 charge transfers
        s.eEnd = -0.6;
        const Simulation run = simulated(s);
        for (int j = 1; j <= steps; ++j)
            EXPECT_NEAR(-run.store->reactionCurrent(run.state.pointCount, j), cottrell(0.5),
                        0.03 * cottrell(0.5))
                << "mechanism " << steps << " step " << j;
    }
}

TEST(Vertex, ReversibleCycleOnTheFineGridFollowsTheExactCurveAndTurnsInOneInstant) {
    // The default cycle 0.3 -> -0.3 -> 0.3 V at 0.01 V/s in 5 mV steps, started from rest by a
    // hold of td at 0.3 V, against the exact Nernstian current of the same E(t) (semi-
    // derivative of the surface relation, written in NernstianSweepReference.h). The reference
    // itself gives Randles-Sevcik's forward peak. Every point within 0.1 % of the peak (the
    // fine grid's accuracy at 5 mV); the vertex, listed twice, is one instant and one current.
    ExperimentState s = experiment(1, 1, 1);
    s.cycles = 1;
    const Simulation run = simulated(s, true);
    const int np = run.state.pointsPerSweep;
    const double td = s.dropTime, sweep = (np - 1) * td;
    const NernstianSweepReference exact({{0, 0.3}, {td, 0.3}, {td + sweep, -0.3},
                                         {td + 2 * sweep, 0.3}},
                                        kf, 0.1, kF * 1e-6 * std::sqrt(kD));
    double referencePeak = 0;
    for (int p = 1; p <= 2 * np; ++p) {
        const double t = td * (p <= np ? p : p - 1);
        referencePeak = std::max(referencePeak, exact.current(t));
    }
    EXPECT_NEAR(referencePeak / kRandlesSevcik, 1.0, 0.002); // Psi_p read at 5 mV steps
    for (int p = 1; p <= 2 * np; ++p) {
        const double t = td * (p <= np ? p : p - 1);
        EXPECT_NEAR(-run.total(p), exact.current(t), 1e-3 * referencePeak) << "point " << p;
    }
    EXPECT_EQ(run.total(np), run.total(np + 1));
}

TEST(Resistance, OhmicDropIsSolvedWithinEachStep) {
    // Ru = 100 ohm on a reversible sweep: one smooth peak (the forward current falls, then
    // rises, without a wiggle), lower and later than without drop, and the same at 1 mV as at
    // 0.1 mV steps within 0.1 % and 0.3 mV. Single sweeps from 0.3 to 0 V.
    auto sweep = [](double step) {
        ExperimentState s = experiment(1, 1, 1);
        s.eStep = step;
        s.dropTime = step / s.scanRate;
        s.eEnd = 0;
        return s;
    };
    const Simulation::Peak plain = simulated(sweep(0.001), true).parabolaPeak();
    const Simulation::Peak dropped = simulated(sweep(0.001), true, 100).parabolaPeak();
    const Simulation::Peak finer = simulated(sweep(0.0001), true, 100).parabolaPeak();
    EXPECT_NEAR(dropped.i / finer.i, 1.0, 0.001);
    EXPECT_NEAR(dropped.E, finer.E, 0.0003);
    EXPECT_GT(dropped.i, plain.i);
    EXPECT_LT(dropped.E, plain.E - 0.005);
    // Any Ru from 0 to 10 kohm, on either grid: past the first points (the transient of the
    // start from rest) the forward sweep's current turns at most once -- not at all when the
    // resistance holds the peak back beyond the sweep.
    for (bool fine : {false, true})
        for (double ru : {0.0, 10.0, 100.0, 1e3, 1e4}) {
            const Simulation run = simulated(experiment(1, 1, 1), fine, ru);
            int turns = 0;
            for (int p = 4; p < run.state.pointsPerSweep; ++p)
                if ((run.total(p + 1) - run.total(p)) * (run.total(p) - run.total(p - 1)) < 0)
                    ++turns;
            EXPECT_LE(turns, 1) << "Ru " << ru << " fine " << fine;
        }
}

// An independent iR-drop reference: a Nernstian couple at a plane (equal D) on a uniform grid,
// stepped explicitly at D dt/dx^2 = 0.4 with the electrode a half cell, and at every step the
// current I (reduction positive, [A] for 1 cm^2 and 1 mM) that makes the couple Nernstian at
// E + Ru I found by bisection. Returns the largest current of a sweep at v [V/s] from eStart
// to eEnd, A and B starting at the shares a0 and b0 of 1 mM.
double irDropReferencePeak(double ru, double eStart, double eEnd, double v, double a0, double b0) {
    const double dx = std::sqrt(kD / (kf * v)) / 50, dt = 0.4 * dx * dx / kD;
    const int steps = static_cast<int>(std::fabs(eEnd - eStart) / v / dt);
    const std::size_t nodes = static_cast<std::size_t>(6 * std::sqrt(kD * steps * dt) / dx) + 2;
    std::vector<double> A(nodes, a0), B(nodes, b0), next(nodes);
    auto diffuse = [&](std::vector<double> &c, double bulk) {
        next[0] = c[0] + 0.8 * (c[1] - c[0]);
        for (std::size_t j = 1; j + 1 < nodes; ++j)
            next[j] = c[j] + 0.4 * (c[j + 1] - 2 * c[j] + c[j - 1]);
        next[nodes - 1] = bulk;
        std::swap(c, next);
    };
    const double r = 2 * dt / dx;
    double peak = 0;
    for (int k = 1; k <= steps; ++k) {
        const double E = eStart + (eEnd - eStart) * k / steps;
        diffuse(A, a0);
        diffuse(B, b0);
        const double sum = A[0] + B[0];
        // The reduction flux [cm/s] over the step when the surface is Nernstian at e.
        auto flux = [&](double e) {
            const double theta = std::exp(kf * (e - 0.1));
            return (A[0] - sum * theta / (1 + theta)) / r;
        };
        double low = 0, high = kFAC * flux(E); // the root lies between 0 and the unloaded current
        for (int i = 0; i < 80; ++i) {
            const double mid = (low + high) / 2;
            ((mid - kFAC * flux(E + ru * mid) > 0) == (high > low) ? high : low) = mid;
        }
        const double current = (low + high) / 2;
        const double theta = std::exp(kf * (E + ru * current - 0.1));
        A[0] = sum * theta / (1 + theta);
        B[0] = sum - A[0];
        peak = std::max(peak, current);
    }
    return peak;
}

TEST(Resistance, EveryResistanceRunsAndThePeakFollowsItSmoothly) {
    // The default couple pre-equilibrated at 0.4 V (B at 8.6e-6 of A), swept at 0.1 V/s to
    // -0.3 V in 1 mV steps: the current at the start is rounding noise, where the ohmic-drop
    // solve must not fail. Ru from 0 to 1000 ohm in 5 ohm steps: every run completes and
    // neighbouring peaks differ by less than 0.5 %; at 100 ohm the fine grid's peak agrees with
    // the explicit reference above within 0.3 % (its grid is converged to about 0.05 %).
    ExperimentState s = experiment(1, 1, 1);
    s.eStart = 0.4;
    s.eStep = 0.001;
    s.scanRate = 0.1;
    s.dropTime = 0.01;
    const double theta = std::exp(kf * (0.1 - 0.4));
    s.cInit[1] = 1e-3 / (1 + theta);
    s.cInit[2] = 1e-3 * theta / (1 + theta);
    double previous = 0;
    for (int ru = 0; ru <= 1000; ru += 5) {
        Simulation run(s);
        run.resistance = ru;
        ASSERT_NO_THROW(run.simulate()) << "Ru " << ru;
        const double peak = -run.parabolaPeak().i;
        if (ru > 0) {
            EXPECT_NEAR(peak / previous, 1.0, 0.005) << "Ru " << ru;
        }
        previous = peak;
    }
    const double reference =
        irDropReferencePeak(100, 0.4, -0.3, 0.1, 1 / (1 + theta), theta / (1 + theta));
    EXPECT_NEAR(-simulated(s, true, 100).parabolaPeak().i / reference, 1.0, 0.003);
}

TEST(Failures, SingularBoxBlockIsReportedOnceAndTheRunGoesOn) {
    // Mechanism 6 with kf2 dt = -1 empties row B of the block of a box with d = 1: on the
    // standard grid of a 100-point sweep Mr = 2 + ln(1 + 6 (e - 1) sqrt(1000)) = 7.79 rounds up
    // to 8 boxes, and box 8 has no geometry factors. The negative constant also makes B grow
    // in the outer boxes, so the run goes on, with meaningless concentrations, until they
    // overflow.
    ExperimentState s = experiment(1, 1, 1);
    s.mechanism = 6;
    s.eEnd = 0.3 - 49 * 0.005;
    s.cycles = 1;
    s.kf = {0, 0.002, -2, 0, 0, 0};
    s.kb = {};
    Simulation run(s);
    EXPECT_THROW(run.simulate(), RuntimeError);
    EXPECT_EQ(run.messages, std::vector<std::string>{"Error: inverse matrix"});
    EXPECT_NE(run.store->reactionCurrent(10, 1), 0.0);
    for (int p = 0; p <= kMaxPoints; ++p)
        for (int k = 0; k < 7; ++k)
            ASSERT_TRUE(std::isfinite(run.store->reactionCurrent(p, k)) &&
                        std::isfinite(run.store->surfaceConc(p, k)));
}

} // namespace
} // namespace kemvo
