#include "analysis/TransformCommands.h"

#include "analysis/CurveTransforms.h"
#include "shell/Application.h"
#include "shell/BoxValue.h"
#include "shell/NumberText.h"
#include "shell/RuntimeError.h"
#include "shell/controls/Controls.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

namespace kemvo {
namespace {

const char *commandName(CurveOperation operation) {
    switch (operation) {
    case CurveOperation::Derivative:
        return "Derivative";
    case CurveOperation::Integral:
        return "Integral";
    case CurveOperation::SemiDerivative:
        return "Semi-derivative";
    case CurveOperation::SemiIntegral:
        return "Semi-integral";
    }
    return "Transform";
}

// A number of a message, to six significant digits.
std::string shortNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

// A failed transform's message: the command, the reason and the numbers it worked with.
std::string transformFailure(CurveOperation operation, const std::string &reason,
                             const CurveStore &store, int curve, int n) {
    double largest = 0;
    for (int i = 1; i <= n; ++i)
        largest = std::max(largest, std::fabs(store.curves(i, curve)));
    return std::string(commandName(operation)) + " Error: " + reason + " with the potential step " +
           shortNumber(samplingStep(store.potential)) + " V and values up to " +
           shortNumber(largest) + "; the curve is as it was.";
}

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
    try {
        transform(store, state.currentCurve, n);
    } catch (const RuntimeError &error) {
        app.showMessage(transformFailure(operation, error.what(), store, state.currentCurve, n));
        return;
    }
    if (state.currentCurve >= 0 && state.currentCurve < static_cast<int>(state.curveHistory.size()))
        app.state().curveHistory[static_cast<std::size_t>(state.currentCurve)].operations.push_back(
            operation);
    app.refreshPlot();
}

// The scan rate [V/s] in the parameters window, which turns the potential axis into time for
// the semi-operations, read strictly; nothing when it is no number or 0 (the user is told).
std::optional<double> scanRateForTime(Application &app, CurveOperation operation) {
    double v = 0;
    try {
        v = std::fabs(strictBoxValue(app.control<TextBox>("FormExpr", "V").text(),
                                     app.control<Label>("FormExpr", "LabelV").caption(),
                                     Allowed::AnyNumber));
    } catch (const BoxValueError &refusal) {
        app.showMessage(std::string(commandName(operation)) + " Error: " + refusal.what());
        return std::nullopt;
    }
    if (v == 0) {
        app.showMessage("The scan rate v is 0: no time axis to semi-differentiate or "
                        "semi-integrate on.");
        return std::nullopt;
    }
    return v;
}

// A semi-operation in time; the result window records the scan rate it used.
using SemiOperation = std::function<void(CurveStore &, int curve, int n, double scanRate)>;

void semiTransform(Application &app, const std::string &done, CurveOperation kind,
                   const SemiOperation &operation) {
    const std::optional<double> v = scanRateForTime(app, kind);
    if (!v)
        return;
    bool transformed = false;
    transformCurrentCurve(app, kind, [&](CurveStore &store, int curve, int n) {
        operation(store, curve, n, *v);
        transformed = true;
    });
    if (transformed)
        app.formResult().print(done + " in time at v = " + generalNumber(*v) + " V/s");
}

} // namespace

void mnuSemi_Click(Application &app) {
    semiTransform(app, "Semi-differentiated", CurveOperation::SemiDerivative,
                  [](CurveStore &store, int curve, int n, double v) {
                      SemiDifferentiate(store.potential, store.curves, curve, n, v);
                  });
}

// The semi-integral, which is the semi-derivative of the running integral, is taken directly.
void mnuSemiInte_Click(Application &app) {
    semiTransform(app, "Semi-integrated", CurveOperation::SemiIntegral,
                  [](CurveStore &store, int curve, int n, double v) {
                      SemiIntegrate(store.potential, store.curves, curve, n, v);
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
