// Run time of the global fit: ks, alpha and E0 shared by a scan-rate series of four cycles
// (0.01, 0.1, 1 and 10 V/s, 0.7 V to -0.5 V and back in 1 mV steps, 2402 points each, 1 %
// noise), each objective evaluation four finite-difference simulations on the fine grid. Targets on
// the 2-core development machine: the fit's own work (all but the simulations) under 10 % of its
// time, the counter `ownWork` = 1 - sum over curves of simulations x (CPU time of one simulation of
// that curve) / (CPU time of the fit), both the process's CPU time; and the wall time (real time,
// not CPU time) with two threads at most 0.6 x that with one: compare GlobalFitSeries/1 with
// GlobalFitSeries/2, whose counter `threads` says how many simulated side by side. On a machine
// whose other load takes the second core, the counter `callingThreadShare` (the calling
// thread's share of the fit's CPU time) tells what the split of the work would give.

#include "app/Workbench.h"
#include "fitting/FormGlobalFit.h"
#include "setup/FormExpr.h"
#include "setup/FormMech.h"
#include "setup/FormTech.h"
#include "shell/CurveStore.h"
#include "shell/HeadlessPlatform.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <ctime>
#include <random>

namespace {

using namespace kemvo;

// [s] CPU time of the calling thread alone.
double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

double processSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

class SeriesSetUp {
public:
    SeriesSetUp() {
        FormMech &chooser = app.form<FormMech>();
        chooser.mech(1).select();
        chooser.Command1_Click();
        app.form<FormTech>().CheckFine.setValue(1);
        form.activate();
        form.CheckPreEqu.setValue(0);
        form.CheckFitted(fitConcentration(1)).setValue(0);
        form.option10.select();
        form.Estart.setText("0.7");
        form.Eend.setText("-0.5");
        form.Estep.setText("0.001");
        form.ks(1).setText("1e-3");
        form.alph(1).setText("0.4");
        form.Eze(1).setText("0.1");
        std::uint32_t seed = 1;
        for (const char *v : {"0.01", "0.1", "1", "10"}) {
            form.V.setText(v);
            app.mainWindow().menu("mnuSimulate").click();
            ExperimentState &s = app.state();
            double peak = 0;
            for (int i = 1; i <= s.pointCount; ++i)
                peak = std::max(peak, std::fabs(app.store().curves(i, s.currentCurve)));
            std::mt19937 generator(seed++);
            std::normal_distribution<double> noise(0.0, 0.01 * peak);
            for (int i = 1; i <= s.pointCount; ++i)
                app.store().curves(i, s.currentCurve) += noise(generator);
            global.Add.click();
        }
        form.ks(1).setText("3e-3");
        form.alph(1).setText("0.5");
        form.Eze(1).setText("0.13");
        for (int k : {fitKs(1), fitAlpha(1), fitE0(1)})
            form.CheckFitted(k).setValue(1);
        form.TextCmin(fitKs(1)).setText("1e-6");
        form.TextCmin(fitAlpha(1)).setText("0.1");
        form.TextCmax(fitAlpha(1)).setText("0.9");
        setup = global.setup();
        timeSimulations();
    }

    HeadlessPlatform platform;
    Workbench app{platform.platform()};
    FormExpr &form = app.form<FormExpr>();
    FormGlobalFit &global = app.form<FormGlobalFit>();
    GlobalFitSetup setup;
    double seriesSimulationSeconds = 0; // [s] CPU time of one simulation of every curve

private:
    void timeSimulations() {
        for (const GlobalCurve &curve : setup.curves) {
            ObjectiveSetup own = setup.base;
            takeProgramme(own.state, curve.programme);
            own.state.fitMode = true;
            own.measured = curve.potential;
            CurveStore store;
            SimulationObjective objective(own, store);
            std::vector<double> y(curve.potential.size());
            objective(setup.start, y); // aligns with the measured axis
            constexpr int runs = 40;
            const double t0 = processSeconds();
            for (int r = 0; r < runs; ++r)
                objective(setup.start, y);
            seriesSimulationSeconds += (processSeconds() - t0) / runs;
        }
    }
};

void GlobalFitSeries(benchmark::State &bench) {
    static SeriesSetUp setUp;
    GlobalFitSetup setup = setUp.setup;
    setup.threads = static_cast<int>(bench.range(0));
    GlobalFitResult result;
    double seconds = 0;
    double ownThread = 0;
    for (auto _ : bench) {
        MarquardtMemory memory;
        const double t0 = processSeconds();
        const double s0 = threadSeconds();
        result = runGlobalFit(setup, memory);
        ownThread += threadSeconds() - s0;
        seconds += processSeconds() - t0;
        benchmark::DoNotOptimize(result.leastSquare);
    }
    const double perFit = seconds / static_cast<double>(bench.iterations());
    const double series =
        static_cast<double>(result.simulations) / static_cast<double>(result.curves.size());
    bench.counters["simulations"] = result.simulations;
    bench.counters["threads"] = result.threads;
    bench.counters["ownWork"] = 1 - series * setUp.seriesSimulationSeconds / perFit;
    bench.counters["processCpuSeconds"] = perFit;
    // The calling thread's share of the CPU time: what the wall time would be, as a share of
    // the one-thread fit's, on cores that nothing else uses (the machine's load lengthens the
    // real time alone).
    bench.counters["callingThreadShare"] = ownThread / seconds;
    if (!(result.flag < 0))
        bench.SkipWithError("the fit did not converge");
}
BENCHMARK(GlobalFitSeries)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
