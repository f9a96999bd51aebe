// The finite-difference engine converges: the fine grid's sweep against the exact reversible
// voltammogram, and the ohmic drop solved within each step.

#include "Simulation.h"

#include <gtest/gtest.h>

#include <vector>

namespace kemvo {
namespace {

// The reversible sweep, exact by semi-integration (Oldham; Bard and Faulkner, 6.2): with equal
// diffusion coefficients the surface holds the Nernstian fraction Q(E) = 1/(1 + exp(nf(E - E0)))
// of reduced species, and the reduction current is
//   I(t) = n F A C sqrt(D/pi) integral of Q'(tau) / sqrt(t - tau) over 0..t,
// Q jumping from 0 at t = 0. The waveform is the program's: rest at E(1) for td, then the
// linear ramp from point to point. Q' is taken constant on sub-intervals of td / 16 and the
// kernel integrated exactly, 2 (sqrt(t - a) - sqrt(t - b)): good to 1e-5 of the peak.
std::vector<double> exactReversibleSweep(const Simulation &run) {
    constexpr int kSub = 16;
    const double td = run.state.dropTime;
    const int n = run.state.pointCount;
    auto q = [](double e) { return 1 / (1 + std::exp(kf * (e - 0.1))); };
    std::vector<double> slope; // Q' on each sub-interval of the ramp, from t = td on
    for (int p = 2; p <= n; ++p)
        for (int k = 0; k < kSub; ++k) {
            const double from = run.E(p - 1) + (run.E(p) - run.E(p - 1)) * k / kSub;
            const double to = run.E(p - 1) + (run.E(p) - run.E(p - 1)) * (k + 1) / kSub;
            slope.push_back((q(to) - q(from)) / (td / kSub));
        }
    std::vector<double> current(n + 1);
    for (int p = 1; p <= n; ++p) {
        const double t = p * td;
        double sum = q(run.E(1)) / std::sqrt(t);
        for (int i = 0; i < (p - 1) * kSub; ++i) {
            const double a = td + i * td / kSub, b = a + td / kSub;
            sum += slope[i] * 2 * (std::sqrt(t - a) - std::sqrt(t - b));
        }
        current[p] = kFAC * std::sqrt(kD / M_PI) * sum;
    }
    return current;
}

ExperimentState fineSweep(double step, double cycles = 1) {
    ExperimentState s = experiment(1, 1, 1);
    s.eStep = step;
    s.dropTime = step / s.scanRate;
    s.cycles = cycles;
    return s;
}

TEST(FineGrid, ReversibleCycleConvergesToTheExactVoltammogram) {
    // Randles-Sevcik: Psi_p = 0.44629 (Nicholson and Shain 1964), at E0 - 1.109 RT/F, within
    // 0.05 % at 1 mV; the whole cycle within 0.05 % of the peak of the exact curve at every
    // point from 1 mV down; the error falls with the step.
    const double randlesSevcik = 0.44629 * kFAC * std::sqrt(kf * 0.01 * kD);
    double previous = 1;
    for (double step : {0.005, 0.002, 0.001, 0.0005}) {
        SCOPED_TRACE(step);
        const Simulation run = simulated(fineSweep(step), true);
        const std::vector<double> exact = exactReversibleSweep(run);
        double worst = 0;
        for (int p = 1; p <= run.state.pointCount; ++p)
            worst = std::max(worst, std::abs(-run.total(p) - exact[p]));
        worst /= randlesSevcik;
        if (step <= 0.001) {
            EXPECT_LT(worst, 0.0005);
        }
        EXPECT_LT(worst, previous);
        previous = worst;
        if (step == 0.001) {
            const Simulation::Peak peak = run.parabolaPeak();
            EXPECT_NEAR(-peak.i / randlesSevcik, 1.0, 0.0005);
            EXPECT_NEAR(peak.E, 0.1 - 1.109 / kf, 0.0002);
        }
    }
}

TEST(Resistance, OhmicDropIsSolvedWithinEachStep) {
    // Ru = 100 ohm on a reversible sweep: one smooth peak (the forward current falls, then
    // rises, without a wiggle), lower and later than without drop, and the same at 1 mV as at
    // 0.1 mV steps within 0.1 % and 0.3 mV. Single sweeps from 0.3 to 0 V.
    auto sweep = [](double step) {
        ExperimentState s = fineSweep(step, 0.5);
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
            const Simulation run = simulated(fineSweep(0.005), fine, ru);
            int turns = 0;
            for (int p = 4; p < run.state.pointsPerSweep; ++p)
                if ((run.total(p + 1) - run.total(p)) * (run.total(p) - run.total(p - 1)) < 0)
                    ++turns;
            EXPECT_LE(turns, 1) << "Ru " << ru << " fine " << fine;
        }
}

} // namespace
} // namespace kemvo
