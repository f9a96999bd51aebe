// Run time of the default cycle (0.3 to -0.3 V and back, 5 mV, 10 mV/s, 242 points) on each
// electrode, by the finite-difference simulation and by the closed forms, and of a 1 um
// microdisc sweep of 1000 points (target: well under 50 ms), and of the closed form's microdisc
// sweep at the most points a run holds, whose kernel is solved once per run (target: a few ms).
// The two-dimensional microdisc simulation also runs each technique's default programme (121
// points at the default disc of 2.8 mm) and the default sweep with chemistry (target: each well
// under a second).

#include "simulation/DigitalSimulation.h"
#include "simulation/SimulationDriver.h"
#include "support/DefaultExperiment.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {

using kemvo::ExperimentState;

// The area the parameters window derives from the default radius (0.2821 cm) on each electrode.
double electrodeArea(int electrode, double r, double length) {
    switch (electrode) {
    case 2:
        return 4 * M_PI * r * r;
    case 3:
        return 2 * M_PI * r * r;
    case 4:
    case 8:
        return M_PI * r * r;
    case 5:
        return M_PI * r * r + 2 * M_PI * r * length;
    case 6:
        return 0.5 * M_PI * r * r + M_PI * r * length;
    default:
        return 1;
    }
}

void runCycle(benchmark::State &bench, ExperimentState s) {
    auto store = std::make_unique<kemvo::CurveStore>();
    kemvo::SimulationInputs inputs;
    inputs.digitalSimulation = [](const ExperimentState &state, kemvo::CurveStore &c) {
        kemvo::runDigitalSimulation(state, c, 0, [](const std::string &) {});
    };
    for (auto _ : bench) {
        ExperimentState state = s;
        kemvo::simulateCurves(state, *store, inputs);
        benchmark::DoNotOptimize(store->reactionCurrent(60, 2));
    }
}

// range(0): electrode 1..8; range(1): 1 digital, 0 closed forms.
void DefaultCycleOnElectrode(benchmark::State &bench) {
    const int electrode = static_cast<int>(bench.range(0));
    ExperimentState s = kemvo::experiment(1, electrode, static_cast<int>(bench.range(1)));
    s.cycles = 1;
    s.area = electrodeArea(electrode, s.radius, s.length);
    runCycle(bench, s);
}
// The closed forms refuse the sweep at a cylinder (5, 6).
BENCHMARK(DefaultCycleOnElectrode)
    ->ArgsProduct({{1, 2, 3, 4, 5, 6, 7, 8}, {1}})
    ->ArgsProduct({{1, 2, 3, 4, 7, 8}, {0}})
    ->Unit(benchmark::kMicrosecond);

// A sweep at a 1 um disc: {digital, points}. The two-dimensional simulation on 1000 points;
// the closed form, whose disc kernel is solved for every run, on 4000.
void MicrodiscSweep(benchmark::State &bench) {
    const auto points = static_cast<double>(bench.range(1));
    ExperimentState s = kemvo::experiment(1, 4, static_cast<int>(bench.range(0)));
    s.radius = 1e-4;
    s.area = M_PI * 1e-8;
    s.eStep = 0.6 / (points - 1);
    s.dropTime = s.eStep / s.scanRate;
    runCycle(bench, s);
}
BENCHMARK(MicrodiscSweep)->Args({1, 1000})->Args({0, 4000})->Unit(benchmark::kMillisecond);

// range(0): technique 1..5 on the default disc, mechanism 1.
void MicrodiscTechnique(benchmark::State &bench) {
    ExperimentState s = kemvo::experiment(static_cast<int>(bench.range(0)), 4, 1);
    s.area = electrodeArea(4, s.radius, s.length);
    runCycle(bench, s);
}
BENCHMARK(MicrodiscTechnique)->DenseRange(1, 5)->Unit(benchmark::kMillisecond);

// range(0): mechanism 1 (E), 7 (EC), 8 (EC2, second order), 11 (ECE) in the default sweep at a
// 10 um disc, with the default kf = 10/s and kb = 0.01/s.
void MicrodiscMechanism(benchmark::State &bench) {
    static constexpr kemvo::Int16 species[] = {0, 2, 0, 0, 0, 0, 0, 3, 3, 0, 0, 4};
    static constexpr kemvo::Int16 steps[] = {0, 1, 0, 0, 0, 0, 0, 1, 1, 0, 0, 2};
    const auto mechanism = static_cast<int>(bench.range(0));
    ExperimentState s = kemvo::experiment(1, 4, 1);
    s.mechanism = static_cast<kemvo::Int16>(mechanism);
    s.speciesCount = species[mechanism];
    s.chargeCount = steps[mechanism];
    s.radius = 1e-3;
    s.area = M_PI * 1e-6;
    runCycle(bench, s);
}
BENCHMARK(MicrodiscMechanism)->Arg(1)->Arg(7)->Arg(8)->Arg(11)->Unit(benchmark::kMillisecond);

} // namespace
