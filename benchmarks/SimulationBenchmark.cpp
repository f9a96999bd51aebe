// Speed of the simulation driver: the longest analytical sweep, whose integral equation is
// solved in a time quadratic in the number of points (target: 30 ms), and the default digital
// cycle (242 points) through every step of the driver (target: 0.2 ms).

#include "simulation/DigitalSimulation.h"
#include "simulation/SimulationDriver.h"
#include "support/DefaultExperiment.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// The default experiment as a single analytical sweep of the given number of points.
kemvo::ExperimentState analyticalSweep(int points) {
    kemvo::ExperimentState s = kemvo::experiment();
    s.eStep = 0.6 / (points - 1);
    s.dropTime = s.eStep / s.scanRate;
    return s;
}

void AnalyticalSweep4000Points(benchmark::State &bench) {
    auto store = std::make_unique<kemvo::CurveStore>();
    kemvo::ExperimentState state = analyticalSweep(4000);
    for (auto _ : bench) {
        kemvo::simulateCurves(state, *store, {});
        benchmark::DoNotOptimize(store->reactionCurrent(2000, 2));
    }
}
BENCHMARK(AnalyticalSweep4000Points)->Unit(benchmark::kMillisecond);

void DefaultDigitalCycle(benchmark::State &bench) {
    auto store = std::make_unique<kemvo::CurveStore>();
    kemvo::ExperimentState state = analyticalSweep(121);
    state.digital = 1;
    state.cycles = 1;
    state.dropTime = 0.5;
    state.pulseTime = 0.05;
    kemvo::SimulationInputs inputs;
    inputs.digitalSimulation = [](const kemvo::ExperimentState &s, kemvo::CurveStore &c) {
        kemvo::runDigitalSimulation(s, c, 0, [](const std::string &) {});
    };
    for (auto _ : bench) {
        kemvo::simulateCurves(state, *store, inputs);
        benchmark::DoNotOptimize(store->reactionCurrent(60, 2));
    }
}
BENCHMARK(DefaultDigitalCycle)->Unit(benchmark::kMicrosecond);

// The pulse techniques in the analytical simulation: the default differential-pulse curve, a
// 4000-point square wave of a reversible couple (a sum over all earlier half-periods, quadratic
// in the points) and the default square wave with ks = 0.01 cm/s (the integral equation).
void AnalyticalPulse(benchmark::State &bench, int technique, int points, double ks) {
    auto store = std::make_unique<kemvo::CurveStore>();
    kemvo::ExperimentState state = analyticalSweep(points);
    state.technique = static_cast<kemvo::Int16>(technique);
    state.caseCode = static_cast<kemvo::Int16>(10 * technique + 1);
    state.dropTime = 0.5;
    state.ks[1] = ks;
    for (auto _ : bench) {
        kemvo::simulateCurves(state, *store, {});
        benchmark::DoNotOptimize(store->reactionCurrent(points / 2, 2));
    }
}
BENCHMARK_CAPTURE(AnalyticalPulse, DefaultDifferentialPulse, 4, 121, 1e4)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(AnalyticalPulse, SquareWave4000Points, 5, 4000, 1e4)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(AnalyticalPulse, QuasiReversibleSquareWave, 5, 121, 1e-2)
    ->Unit(benchmark::kMillisecond);

} // namespace
