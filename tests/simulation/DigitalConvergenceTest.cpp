// The finite-difference engine converges: the fine grid's sweep against the exact reversible
// voltammogram and the quasi-reversible tables, and the ohmic drop solved within each step.

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

// The reduction peak of the forward sweep [A, V] by a parabola through its three highest points.
std::pair<double, double> parabolicPeak(const Simulation &run, int sign = -1) {
    int best = 2;
    for (int p = 2; p < run.state.pointCount; ++p)
        if (sign * run.total(p) > sign * run.total(best))
            best = p;
    const double y0 = run.total(best - 1), y1 = run.total(best), y2 = run.total(best + 1);
    const double shift = (y0 - y2) / (2 * (y0 - 2 * y1 + y2));
    return {y1 - 0.25 * (y0 - y2) * shift,
            run.E(best) + shift * (run.E(best + 1) - run.E(best - 1)) / 2};
}

ExperimentState fineSweep(double step, double cycles = 1) {
    ExperimentState s = experiment(1, 1, 1);
    s.eStep = step;
    s.dropTime = step / s.scanRate;
    s.cycles = cycles;
    return s;
}

Simulation onFineGrid(const ExperimentState &s, double resistance = 0) {
    Simulation run(s);
    run.fineGrid = true;
    run.resistance = resistance;
    run.simulate();
    return run;
}

TEST(FineGrid, ReversibleCycleConvergesToTheExactVoltammogram) {
    // Randles-Sevcik: Psi_p = 0.44629 (Nicholson and Shain 1964), at E0 - 1.109 RT/F, within
    // 0.05 % at 1 mV; the whole cycle within 0.05 % of the peak of the exact curve at every
    // point from 1 mV down; the error falls with the step.
    const double randlesSevcik = 0.44629 * kFAC * std::sqrt(kf * 0.01 * kD);
    double previous = 1;
    for (double step : {0.005, 0.002, 0.001, 0.0005}) {
        SCOPED_TRACE(step);
        const Simulation run = onFineGrid(fineSweep(step));
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
            const auto [current, potential] = parabolicPeak(run);
            EXPECT_NEAR(-current / randlesSevcik, 1.0, 0.0005);
            EXPECT_NEAR(potential, 0.1 - 1.109 / kf, 0.0002);
        }
    }
}

TEST(FineGrid, QuasiReversiblePeakSeparationsFollowNicholson) {
    // Nicholson (1965), alpha = 0.5, psi = k0 / sqrt(pi D nFv/RT) with equal D: the peak
    // separations in mV, the sweep reversed 112.5 mV past E1/2 (250 mV for psi = 0.1, whose
    // forward peak lies beyond 112.5 mV); 1 mV steps, peaks by parabola, within 0.3 mV.
    struct Case {
        double psi, separation, switchPast;
    } cases[] = {{20, 61.0, 0.1125},   {5, 64.8, 0.1125},     {2, 72.1, 0.1125}, {1, 83.7, 0.1125},
                 {0.5, 104.7, 0.1125}, {0.25, 139.9, 0.1125}, {0.1, 213.4, 0.25}};
    for (const Case &c : cases) {
        ExperimentState s = fineSweep(0.001);
        s.eStart = 0.4;
        s.eEnd = 0.1 - c.switchPast;
        s.ks[1] = c.psi * std::sqrt(M_PI * kD * kf * s.scanRate);
        const Simulation run = onFineGrid(s);
        const double separation = parabolicPeak(run, 1).second - parabolicPeak(run, -1).second;
        EXPECT_NEAR(separation * 1000, c.separation, 0.3) << "psi " << c.psi;
    }
}

TEST(FineGrid, IrreversibleSweepFollowsNicholsonAndShainForEachAlpha) {
    // Nicholson and Shain (1964): Psi_p = 0.4958 sqrt(alpha) and
    // Ep = E0 - (RT/(alpha F)) (0.780 + ln(sqrt(D)/k0) + ln sqrt(alpha F v/(RT))); ks = 1e-5 cm/s
    // at 0.1 V/s is deep in the irreversible zone. 1 mV steps, the peak by parabola; 0.5 % and
    // 0.5 mV, the accuracy the fine grid reaches at this step. An alpha swapped for 1 - alpha
    // moves the peak by tens of mV.
    for (double alpha : {0.3, 0.7}) {
        ExperimentState s = fineSweep(0.001, 0.5);
        s.scanRate = 0.1;
        s.dropTime = s.eStep / s.scanRate;
        s.eStart = 0.3;
        s.eEnd = -0.6;
        s.ks[1] = 1e-5;
        s.alpha[1] = alpha;
        const Simulation run = onFineGrid(s);
        const auto [current, potential] = parabolicPeak(run);
        const double af = alpha * kf;
        const double peak = 0.4958 * kFAC * std::sqrt(af * 0.1 * kD);
        const double ep =
            0.1 - (0.780 + std::log(std::sqrt(kD) / 1e-5) + std::log(std::sqrt(af * 0.1))) / af;
        EXPECT_NEAR(-current / peak, 1.0, 0.005) << "alpha " << alpha;
        EXPECT_NEAR(potential, ep, 0.0005) << "alpha " << alpha;
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
    const Simulation plain = onFineGrid(sweep(0.001));
    const Simulation dropped = onFineGrid(sweep(0.001), 100);
    const Simulation finer = onFineGrid(sweep(0.0001), 100);
    const auto [ip, ep] = parabolicPeak(dropped);
    const auto [ipFine, epFine] = parabolicPeak(finer);
    EXPECT_NEAR(ip / ipFine, 1.0, 0.001);
    EXPECT_NEAR(ep, epFine, 0.0003);
    EXPECT_GT(ip, parabolicPeak(plain).first);
    EXPECT_LT(ep, parabolicPeak(plain).second - 0.005);
    // Any Ru from 0 to 10 kohm, on either grid: past the first points (the transient of the
    // start from rest) the forward sweep's current turns at most once -- not at all when the
    // resistance holds the peak back beyond the sweep.
    for (bool fine : {false, true})
        for (double ru : {0.0, 10.0, 100.0, 1e3, 1e4}) {
            Simulation run(fineSweep(0.005));
            run.fineGrid = fine;
            run.resistance = ru;
            run.simulate();
            int turns = 0;
            for (int p = 4; p < run.state.pointsPerSweep; ++p)
                if ((run.total(p + 1) - run.total(p)) * (run.total(p) - run.total(p - 1)) < 0)
                    ++turns;
            EXPECT_LE(turns, 1) << "Ru " << ru << " fine " << fine;
        }
}

} // namespace
} // namespace kemvo
