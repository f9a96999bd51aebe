#include "analysis/TransformCommands.h"

#include "analysis/CurveTransforms.h"
#include "shell/Application.h"

#include <algorithm>
#include <functional>

namespace kemvo {
namespace {

// Runs a transform of the current curve over its points (never past the arrays' last one,
// which a failed simulation of too many points can leave behind), then refreshes the plot.
void transformCurrentCurve(Application &app, CurveOperation operation,
                           const std::function<void(CurveStore &, int curve, int n)> &transform) {
    const ExperimentState &state = app.state();
    CurveStore &store = app.store();
    const int n = std::min<int>(state.pointCount, kMaxPoints);
    if (n < 2) {
        app.showMessage("The curve has fewer than two points to transform.");
        return;
    }
    if (samplingStep(store.potential) == 0) {
        app.showMessage("The first two potentials of the curve are equal: no potential step to "
                        "transform with.");
        return;
    }
    transform(store, state.currentCurve, n);
    if (state.currentCurve >= 0 && state.currentCurve < static_cast<int>(state.curveHistory.size()))
        app.state().curveHistory[static_cast<std::size_t>(state.currentCurve)].operations.push_back(
            operation);
    app.refreshPlot();
}

} // namespace

void mnuSemi_Click(Application &app) {
    transformCurrentCurve(app, CurveOperation::SemiDerivative,
                          [](CurveStore &store, int curve, int n) {
                              SemiDifferentiate(store.potential, store.curves, curve, n);
                          });
}

// The semi-integral is the semi-derivative of the running integral.
void mnuSemiInte_Click(Application &app) {
    transformCurrentCurve(app, CurveOperation::SemiIntegral,
                          [](CurveStore &store, int curve, int n) {
                              Integrate(store, curve, n);
                              SemiDifferentiate(store.potential, store.curves, curve, n);
                          });
}

void mnuDerivative_Click(Application &app) {
    transformCurrentCurve(app, CurveOperation::Derivative, [](CurveStore &store, int curve, int n) {
        Differentiate(store.potential, store.curves, curve, n);
    });
}

void mnuIntegral_Click(Application &app) {
    transformCurrentCurve(app, CurveOperation::Integral,
                          [](CurveStore &store, int curve, int n) { Integrate(store, curve, n); });
}

void installAnalysisCommands(Application &app) {
    MainWindowModel &window = app.mainWindow();
    window.menu("mnuSemi").onClick = [&app] { mnuSemi_Click(app); };
    window.menu("mnuSemiInte").onClick = [&app] { mnuSemiInte_Click(app); };
    window.menu("mnuDerivative").onClick = [&app] { mnuDerivative_Click(app); };
    window.menu("mnuIntegral").onClick = [&app] { mnuIntegral_Click(app); };
}

} // namespace kemvo
