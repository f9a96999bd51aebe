// Speed of "&Simulate" as the menu and the fits run it: the default digital cycle (242 points)
// through the windows, on scratch copies of the state and the curve store that are taken at
// the end, with the progress polled at every point. Beside DefaultDigitalCycle (the driver
// alone) it shows what the copies and the polls cost.

#include "app/Workbench.h"
#include "setup/ParameterIntake.h"
#include "shell/HeadlessPlatform.h"
#include "simulation/SimulationCommands.h"

#include <benchmark/benchmark.h>

namespace {

void DefaultDigitalCycleThroughTheCommand(benchmark::State &bench) {
    kemvo::HeadlessPlatform platform;
    kemvo::Workbench app(platform.platform());
    app.control<kemvo::OptionButton>("FormExpr", "option10").select();
    kemvo::takeParameters(app);
    for (auto _ : bench) {
        kemvo::Simulate(app);
        benchmark::DoNotOptimize(app.store().curves(60, 1));
    }
    if (!platform.messages.shown.empty())
        bench.SkipWithError(platform.messages.shown.front().c_str());
}
BENCHMARK(DefaultDigitalCycleThroughTheCommand)->Unit(benchmark::kMicrosecond);

} // namespace
