// Run time of Auto Fit, every objective evaluation a full finite-difference simulation on the
// fine grid. Targets on the 2-core development machine, wall time: ks, alpha and E0 of the
// 242-point cycle at 0.1 V/s from 30 % (E0: 20 mV) away, the typed start alone <= 6 ms and
// with the 8 further starts <= 30 ms; ks, alpha, E0 and kf of the 4000-point dimerisation
// (EC2) cycle with nine starts <= 6 s. The fit's own work (all but the simulations) under 10 %
// of its time: the counter `ownWork` is 1 - simulations x (CPU time of one simulation) / (CPU
// time of the fit), both the process's CPU time, which the machine's other load does not
// lengthen as it does wall time. The counter `simulations` is the number of simulations one fit
// used.

#include "app/Workbench.h"
#include "fitting/FitDriver.h"
#include "fitting/SimulationObjective.h"
#include "setup/FormExpr.h"
#include "setup/FormMech.h"
#include "shell/HeadlessPlatform.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace kemvo;

// [s] CPU time of the whole process, every thread.
double processSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// A measured cycle of ks = 0.01 cm/s, alpha = 0.5, E0 = 0.1 V in column 1, and the windows
// set up to fit those three.
class FitSetUp {
public:
    FitSetUp(int mechanism, const std::string &potentialStep, const std::string &scanRate,
             const std::string &starts) {
        FormMech &chooser = app.form<FormMech>();
        chooser.mech(mechanism).select();
        chooser.Command1_Click();
        form.activate();
        form.CheckPreEqu.setValue(0);
        form.CheckFitted(fitConcentration(1)).setValue(0);
        form.option10.select();
        form.Estep.setText(potentialStep);
        form.V.setText(scanRate);
        form.ks(1).setText("0.01");
        form.TextStarts.setText(starts);
        if (mechanism == 8) { // 2B = C at 1e4 /M/s, fitted from 1000
            form.kf(1).setText("1e4");
            form.kb(1).setText("0");
        }
        app.mainWindow().menu("mnuSimulate").click();
        if (mechanism == 8) {
            form.CheckFitted(fitKf(1)).setValue(1);
            form.TextCmin(fitKf(1)).setText("1");
            form.TextCmax(fitKf(1)).setText("1e6");
        }
        for (int k : {fitKs(1), fitAlpha(1), fitE0(1)})
            form.CheckFitted(k).setValue(1);
        form.TextCmin(fitAlpha(1)).setText("0.2");
        form.TextCmax(fitAlpha(1)).setText("0.8");
        const ExperimentState &s = app.state();
        std::vector<double> potentials;
        for (int i = 1; i <= s.pointCount; ++i) {
            ymeas.push_back(app.store().curves(i, s.currentCurve));
            potentials.push_back(app.store().potential(i));
        }
        timeOneSimulation(potentials);
        app.state().fitMode = true;
    }

    // One fit from the start away from the measured values.
    FitSummary fit() {
        ExperimentState &s = app.state();
        s.ks[1] = 0.013;
        s.alpha[1] = 0.65;
        s.e0[1] = 0.12;
        if (s.mechanism == 8) {
            s.ks[1] = 1;
            s.alpha[1] = 0.45;
            s.e0[1] = 0.15;
            s.kf[1] = 1000;
        }
        app.formResult().cls();
        return AutoFit(app, workspace, ymeas);
    }

    HeadlessPlatform platform;
    Workbench app{platform.platform()};
    FormExpr &form = app.form<FormExpr>();
    FitWorkspace workspace;
    std::vector<double> ymeas;
    double simulationSeconds = 0; // [s] one evaluation of the fit's objective

private:
    // One evaluation of the objective as the fit runs it, at the values of the measured curve.
    void timeOneSimulation(std::vector<double> potentials) {
        app.state().fitMode = true;
        const ObjectiveSetup setup =
            objectiveSetup(app, {fitKs(1), fitAlpha(1), fitE0(1)}, std::move(potentials));
        CurveStore store;
        SimulationObjective objective(setup, store);
        const ExperimentState &s = app.state();
        std::vector<double> y(ymeas.size());
        const int runs = s.pointCount > 1000 ? 3 : 30;
        objective({s.ks[1], s.alpha[1], s.e0[1]}, y); // aligns with the measured axis
        const double t0 = processSeconds();
        for (int r = 0; r < runs; ++r)
            objective({s.ks[1], s.alpha[1], s.e0[1]}, y);
        simulationSeconds = (processSeconds() - t0) / runs;
    }
};

void runFits(benchmark::State &bench, FitSetUp &setUp) {
    FitSummary summary;
    double seconds = 0;
    for (auto _ : bench) {
        const double t0 = processSeconds();
        summary = setUp.fit();
        seconds += processSeconds() - t0;
        benchmark::DoNotOptimize(summary.leastSquare);
    }
    const double perFit = seconds / static_cast<double>(bench.iterations());
    bench.counters["simulations"] = summary.simulations;
    bench.counters["ownWork"] = 1 - summary.simulations * setUp.simulationSeconds / perFit;
    bench.counters["processCpuSeconds"] = perFit;
    bench.counters["points"] = static_cast<double>(setUp.ymeas.size());
    if (!(summary.flag < 0) || !setUp.platform.messages.shown.empty())
        bench.SkipWithError("the fit did not converge");
}

void FitCycleTypedStart(benchmark::State &bench) {
    FitSetUp setUp(1, "0.005", "0.1", "0"); // 0.3 to -0.3 V and back: 242 points
    runFits(bench, setUp);
}
BENCHMARK(FitCycleTypedStart)->Unit(benchmark::kMillisecond)->UseRealTime();

void FitCycleNineStarts(benchmark::State &bench) {
    FitSetUp setUp(1, "0.005", "0.1", "8");
    runFits(bench, setUp);
}
BENCHMARK(FitCycleNineStarts)->Unit(benchmark::kMillisecond)->UseRealTime();

void FitDimerisationCycleOf4000PointsNineStarts(benchmark::State &bench) {
    FitSetUp setUp(8, "3.00150075037519e-4", "0.1", "8"); // 0.6 V / 1999: 2000 points a sweep
    runFits(bench, setUp);
}
BENCHMARK(FitDimerisationCycleOf4000PointsNineStarts)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

} // namespace
