// Speed of the simulation driver: the longest analytical sweep, whose semi-differentiation is
// quadratic in the number of points (target: 15 ms), and the default digital cycle (242 points)
// through every step of the driver (target: 0.2 ms).

#include "simulation/DigitalSimulation.h"
#include "simulation/SimulationDriver.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

kemvo::ExperimentState analyticalSweep(int points) {
    kemvo::ExperimentState s;
    s.technique = 1;
    s.mechanism = 1;
    s.electrode = 1;
    s.caseCode = 11;
    s.speciesCount = 2;
    s.chargeCount = 1;
    s.eStart = 0.3;
    s.eEnd = -0.3;
    s.eStep = 0.6 / (points - 1);
    s.scanRate = 0.01;
    s.dropTime = s.eStep / s.scanRate;
    s.temperatureK = 298.14;
    s.area = 1;
    s.cycles = 0.5;
    s.electrons[1] = 1;
    s.alpha[1] = 0.5;
    s.e0[1] = 0.1;
    s.ks[1] = 1e4;
    s.diffusion = {0, 1e-5, 1e-5, 0, 0, 0};
    s.cInit = {0, 1e-3, 0, 0, 0, 0};
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

} // namespace
