// Run time of Auto Fit, every objective evaluation a full finite-difference simulation. Targets
// on the 2-core development machine: ks, alpha and E0 of the 242-point cycle at 0.1 V/s from
// 30 % (E0: 20 mV) away <= 2 ms; the same three of a 4000-point mechanism-6 cycle <= 150 ms.
// The counter `simulations` is the number of simulations one fit used.

#include "app/Workbench.h"
#include "fitting/FitDriver.h"
#include "setup/FormExpr.h"
#include "setup/FormMech.h"
#include "shell/HeadlessPlatform.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace kemvo;

// A measured cycle of ks = 0.01 cm/s, alpha = 0.5, E0 = 0.1 V in column 1, and the windows
// set up to fit those three.
class FitSetUp {
public:
    FitSetUp(int mechanism, const std::string &potentialStep, const std::string &scanRate) {
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
        app.mainWindow().menu("mnuSimulate").click();
        for (int k : {fitKs(1), fitAlpha(1), fitE0(1)})
            form.CheckFitted(k).setValue(1);
        form.TextCmin(fitAlpha(1)).setText("0.2");
        form.TextCmax(fitAlpha(1)).setText("0.8");
        const ExperimentState &s = app.state();
        for (int i = 1; i <= s.pointCount; ++i)
            ymeas.push_back(app.store().curves(i, s.currentCurve));
        app.state().fitMode = true;
    }

    // One fit from the start away from the measured values.
    FitSummary fit() {
        ExperimentState &s = app.state();
        s.ks[1] = 0.013;
        s.alpha[1] = 0.65;
        s.e0[1] = 0.12;
        app.formResult().cls();
        return AutoFit(app, workspace, ymeas);
    }

    HeadlessPlatform platform;
    Workbench app{platform.platform()};
    FormExpr &form = app.form<FormExpr>();
    FitWorkspace workspace;
    std::vector<double> ymeas;
};

void runFits(benchmark::State &bench, FitSetUp &setUp) {
    FitSummary summary;
    for (auto _ : bench) {
        summary = setUp.fit();
        benchmark::DoNotOptimize(summary.leastSquare);
    }
    bench.counters["simulations"] = summary.simulations;
    bench.counters["points"] = static_cast<double>(setUp.ymeas.size());
    if (!(summary.flag < 0) || !setUp.platform.messages.shown.empty())
        bench.SkipWithError("the fit did not converge");
}

void FitDigitalCycleKsAlphaE0(benchmark::State &bench) {
    FitSetUp setUp(1, "0.005", "0.1"); // 0.3 to -0.3 V and back: 242 points
    runFits(bench, setUp);
}
BENCHMARK(FitDigitalCycleKsAlphaE0)->Unit(benchmark::kMillisecond);

void FitCecCycleOf4000Points(benchmark::State &bench) {
    FitSetUp setUp(6, "3.00150075037519e-4", "0.1"); // 0.6 V / 1999: 2000 points per sweep
    runFits(bench, setUp);
}
BENCHMARK(FitCecCycleOf4000Points)->Unit(benchmark::kMillisecond);

} // namespace
