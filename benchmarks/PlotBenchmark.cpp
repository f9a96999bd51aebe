// A redraw of the plot window: five curves of 4000 points through the Qt canvas into an image
// of a typical window size. Target: at most 20 ms per redraw.

#include "display/DrawPlot.h"
#include "display/FormOption.h"
#include "display/FormPlot.h"
#include "display/qt/QtCanvas.h"
#include "app/Workbench.h"
#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {

void ensureGuiApplication() {
    static std::unique_ptr<QGuiApplication> app;
    if (app)
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "benchmarks";
    static char *argv[] = {name, nullptr};
    app = std::make_unique<QGuiApplication>(argc, argv);
}

// Five peaked curves on a cyclic sweep from 0.3 V to -0.3 V and back.
void fillFiveCurves(kemvo::Application &app) {
    kemvo::ExperimentState &state = app.state();
    kemvo::CurveStore &store = app.store();
    for (int i = 1; i <= kemvo::kMaxPoints; ++i) {
        double e = i <= 2000 ? 0.3 - 0.0003 * i : -0.3 + 0.0003 * (i - 2000);
        store.potential(i) = e;
        for (int k = 1; k <= 5; ++k) {
            double centre = -0.1 + 0.05 * k;
            double peak = 1e-5 * k / std::cosh(20 * (e - centre));
            store.curves(i, k) = i <= 2000 ? peak : -0.8 * peak;
        }
    }
    state.firstPoint = 1;
    state.lastPoint = kemvo::kMaxPoints;
    state.curveCount = 5;
    state.currentCurve = 1;
}

// Style 0: the initial choices (dots, line, squares, dots, dots); 1, 2, 3: every curve in
// dots, squares or lines. The image is 900 x 600 logical pixels at the given pixel ratio.
void redrawFiveCurves(benchmark::State &bench, qreal devicePixelRatio) {
    ensureGuiApplication();
    kemvo::HeadlessPlatform platform;
    kemvo::Workbench app(platform.platform());
    fillFiveCurves(app);
    auto &options = app.form<kemvo::FormOption>();
    options.CheckGrid.setValue(1);
    for (int i = 0; i < 5; ++i) {
        if (bench.range(0) == 1)
            options.linestyle1(i).select();
        if (bench.range(0) == 2)
            options.linestyle2(i).select();
        if (bench.range(0) == 3)
            options.linestyle3(i).select();
    }
    kemvo::qt::ImageCanvas canvas(QSize(900, 600), devicePixelRatio);
    app.form<kemvo::FormPlot>().setPicture(&canvas);
    for (auto _ : bench) {
        kemvo::DrawPlot(app);
        benchmark::DoNotOptimize(canvas.image().constBits());
    }
    app.form<kemvo::FormPlot>().setPicture(nullptr);
}
void BM_RedrawFiveCurves(benchmark::State &bench) {
    redrawFiveCurves(bench, 1.0);
}
BENCHMARK(BM_RedrawFiveCurves)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// The same on a screen of twice the pixel density.
void BM_RedrawFiveCurvesHighDpi(benchmark::State &bench) {
    redrawFiveCurves(bench, 2.0);
}
BENCHMARK(BM_RedrawFiveCurvesHighDpi)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

} // namespace
