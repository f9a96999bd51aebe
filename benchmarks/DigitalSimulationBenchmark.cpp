// Run time of the finite-difference simulation. Targets on the 2-core development machine:
// default cyclic voltammogram <= 50 us, 4000-point mechanism-6 cycle <= 2 ms (standard grid);
// default differential-pulse curve < 0.5 ms, 4000-point square wave < 10 ms; on the fine grid
// default cyclic voltammogram < 0.3 ms, 4000-point mechanism-6 cycle < 20 ms. A 4000-point cycle
// with a second-order follow-up (mechanism 8, 2B = C; mechanism 10, 2B = A) within 3 times the
// first-order one (mechanism 7, B = C) on either grid.

#include "shell/Constants.h"
#include "simulation/DigitalSimulation.h"
#include "support/DefaultExperiment.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {

using kemvo::CurveStore;
using kemvo::ExperimentState;

// The driver's staircase: forward sweep, then its reversed copy for a cycle.
void buildProgramme(ExperimentState &s, CurveStore &store) {
    s.fOverRT = (kemvo::kFaraday / kemvo::kGasConstant) / s.temperatureK;
    s.scanSign = s.eEnd > s.eStart ? 1 : -1;
    const int np = static_cast<int>(std::nearbyint(std::abs((s.eEnd - s.eStart) / s.eStep))) + 1;
    s.pointsPerSweep = static_cast<kemvo::Int16>(np);
    s.pointCount = static_cast<int>(2 * np * s.cycles);
    for (int i = 1; i <= np; ++i)
        store.potential(i) = s.eStart + s.scanSign * (i - 1) * s.eStep;
    if (s.cycles >= 1)
        for (int i = 1; i <= np; ++i)
            store.potential(np + i) = store.potential(np + 1 - i);
}

void runSimulation(benchmark::State &bench, ExperimentState s, bool fineGrid = false) {
    auto store = std::make_unique<CurveStore>();
    buildProgramme(s, *store);
    for (auto _ : bench) {
        kemvo::runDigitalSimulation(s, *store, 0.0, nullptr, fineGrid);
        benchmark::DoNotOptimize(store->reactionCurrent(s.pointCount, 1));
    }
    bench.counters["points"] = s.pointCount;
}

void DefaultCyclicVoltammogram(benchmark::State &bench) {
    ExperimentState s = kemvo::experiment(1, 1, 1); // 0.3 to -0.3 V, 5 mV, 10 mV/s
    s.cycles = 1;                                   // 242 points
    runSimulation(bench, s);
}
BENCHMARK(DefaultCyclicVoltammogram)->Unit(benchmark::kMicrosecond);

ExperimentState cecCycleOf4000Points() {
    ExperimentState s = kemvo::experiment(1, 1, 1); // 0.3 to -0.3 V, 5 mV, 10 mV/s
    s.mechanism = 6;
    s.eStep = 0.6 / 1999; // 2000 points per sweep
    s.dropTime = s.eStep / s.scanRate;
    s.cycles = 1;
    return s;
}

void CecCycleOf4000Points(benchmark::State &bench) {
    runSimulation(bench, cecCycleOf4000Points());
}
BENCHMARK(CecCycleOf4000Points)->Unit(benchmark::kMicrosecond);

void DefaultCyclicVoltammogramOnFineGrid(benchmark::State &bench) {
    ExperimentState s = kemvo::experiment(1, 1, 1);
    s.cycles = 1;
    runSimulation(bench, s, true);
}
BENCHMARK(DefaultCyclicVoltammogramOnFineGrid)->Unit(benchmark::kMicrosecond);

void CecCycleOf4000PointsOnFineGrid(benchmark::State &bench) {
    runSimulation(bench, cecCycleOf4000Points(), true);
}
BENCHMARK(CecCycleOf4000PointsOnFineGrid)->Unit(benchmark::kMicrosecond);

// A 4000-point cycle of mechanism range(0) (7: B = C, 8: 2B = C, 10: 2B = A) with the window's
// kf = 10 (s^-1 or M^-1 s^-1) and kb = 0.01, on the standard (range(1) = 0) or the fine grid.
void FollowUpCycleOf4000Points(benchmark::State &bench) {
    ExperimentState s = cecCycleOf4000Points();
    s.mechanism = static_cast<kemvo::Int16>(bench.range(0));
    runSimulation(bench, s, bench.range(1) != 0);
}
BENCHMARK(FollowUpCycleOf4000Points)
    ->ArgsProduct({{7, 8, 10}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

void DefaultDifferentialPulse(benchmark::State &bench) {
    ExperimentState s = kemvo::experiment(4, 1, 1); // 0.3 to -0.3 V, 5 mV, td / tp = 10
    runSimulation(bench, s);
}
BENCHMARK(DefaultDifferentialPulse)->Unit(benchmark::kMicrosecond);

void SquareWaveOf4000Points(benchmark::State &bench) {
    ExperimentState s = kemvo::experiment(5, 1, 1); // 0.3 to -0.3 V, tp = 50 ms
    s.eStep = 0.6 / 3999;                           // 4000 points, one period each
    runSimulation(bench, s);
}
BENCHMARK(SquareWaveOf4000Points)->Unit(benchmark::kMicrosecond);

} // namespace
