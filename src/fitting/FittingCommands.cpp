#include "fitting/FittingCommands.h"

#include "fitting/FitDriver.h"
#include "fitting/MeasuredAxis.h"
#include "fitting/SimulationObjective.h"
#include "setup/Catalogue.h"
#include "setup/ParameterIntake.h"
#include "shell/Application.h"
#include "shell/CommandGuard.h"
#include "shell/NumberText.h"
#include "simulation/DisplayedQuantity.h"
#include "simulation/SimulationCommands.h"

#include <algorithm>
#include <cmath>

#include <memory>

namespace kemvo {
namespace {

// fitMode is set while a fit command runs and cleared however it ends.
class FitModeOn {
public:
    explicit FitModeOn(Application &app) : state_(app.state()) { state_.fitMode = true; }
    ~FitModeOn() { state_.fitMode = false; }
    FitModeOn(const FitModeOn &) = delete;
    FitModeOn &operator=(const FitModeOn &) = delete;

private:
    ExperimentState &state_;
};

// The start of both fit commands: the measured curve alone in column 1 and the parameters read.
// Returns false when a parameter cannot be read (the intake has said so).
bool prepareFit(Application &app) {
    app.control<CheckBox>("formOption", "overlap").setValue(0);
    PrepareFitCurve(app.state(), app.store());
    if (!takeParameters(app))
        return false;
    app.formResult().cls();
    return true;
}

// The measured curve: the current curve at points 1..pointCount.
std::vector<double> measuredCurve(Application &app) {
    const ExperimentState &state = app.state();
    std::vector<double> ymeas;
    for (int i = 1; i <= std::min<int>(state.pointCount, kMaxPoints); ++i)
        ymeas.push_back(app.store().curves(i, state.currentCurve));
    return ymeas;
}

void fitTrapped(Application &app, FitWorkspace &workspace, const std::vector<double> &ymeas) {
    runTrapped(app, "Fit Error: ", "! Please try again by other initial values.", [&] {
        try {
            AutoFit(app, workspace, ymeas);
        } catch (const FitRefusal &refusal) {
            app.showMessage(refusal.what());
        }
    });
}

// The legend's names of the measured curve and of the simulation beside it.
void nameFitCurves(ExperimentState &state) {
    state.curveLabel[1] = "measured";
    if (state.curveCount >= 2)
        state.curveLabel[2] = "fit";
}

// "component 2 (B+2e=C)": charge-transfer step r of the mechanism with its electron number.
std::string componentName(const ExperimentState &state, int r) {
    std::string name = "component " + std::to_string(r);
    const MechanismEntry *mechanism = findMechanism(state.mechanism);
    if (mechanism == nullptr || r > mechanism->chargeCount())
        return name;
    std::string step(mechanism->chargeSteps[static_cast<std::size_t>(r - 1)]);
    const double n = state.electrons[static_cast<std::size_t>(r)];
    if (auto at = step.find("ne"); at != std::string::npos)
        step = step.substr(0, at) + (n == 1 ? "" : generalNumber(n)) + step.substr(at + 1);
    return name + " (" + step + ")";
}

// Each charge-transfer step's current of the last simulation beside the measured curve and the
// sum. The refresh keeps them: the fit's simulations derived the displayed quantity already.
void showComponents(Application &app) {
    ExperimentState &state = app.state();
    CurveStore &store = app.store();
    state.curveCount = 2;
    for (int r = 1; r <= state.chargeCount; ++r) {
        ++state.curveCount;
        for (int i = 1; i <= std::min<int>(state.pointCount, kMaxPoints); ++i)
            store.curves(i, state.curveCount) = store.reactionCurrent(i, r);
        state.curveLabel[static_cast<std::size_t>(state.curveCount)] = componentName(state, r);
    }
    app.refreshPlot();
}

// A simulation on another grid than the measured curve is read at the measured potentials,
// as the fit compares them, so that the curve store keeps one potential axis. Where the
// programme's sweeps do not reach the measured potentials the simulation stays as it came.
void alignWithMeasuredCurve(Application &app, const std::vector<double> &measured) {
    ExperimentState &state = app.state();
    const std::vector<double> programme =
        potentialsOf(app.store(), std::min<int>(state.pointCount, kMaxPoints));
    if (measured.empty() || sameAxis(measured, programme, state.eStep))
        return;
    auto map = MeasuredAxisMap::build(measured, programme, measuredAxisTolerance(state));
    if (!map)
        return;
    const bool surfaceCurves = app.derivedQuantity.choice == kShowSurfaceConcentration;
    const CurveStore simulated = app.store();
    storeOnMeasuredAxis(state, simulated, app.store(), *map, measured, surfaceCurves);
    describeMeasuredAxis(state, measured);
}

} // namespace

void mnuManualFit_Click(Application &app) {
    FitModeOn fitting(app);
    if (!prepareFit(app))
        return;
    const std::vector<double> measured =
        potentialsOf(app.store(), std::min<int>(app.state().pointCount, kMaxPoints));
    if (Simulate(app))
        alignWithMeasuredCurve(app, measured);
    nameFitCurves(app.state());
    app.refreshPlot();
}

void mnuAutoFit_Click(Application &app, FitWorkspace &workspace) {
    FitModeOn fitting(app);
    if (!prepareFit(app))
        return;
    fitTrapped(app, workspace, measuredCurve(app));
    nameFitCurves(app.state());
    app.refreshPlot();
}

void mnuManualSeparate_Click(Application &app) {
    mnuManualFit_Click(app);
    showComponents(app);
}

void mnuAutoSeparate_Click(Application &app, FitWorkspace &workspace) {
    mnuAutoFit_Click(app, workspace);
    showComponents(app);
}

void installFittingCommands(Application &app) {
    auto workspace = std::make_shared<FitWorkspace>();
    MainWindowModel &window = app.mainWindow();
    window.menu("mnuManualFit").onClick = [&app] { mnuManualFit_Click(app); };
    window.menu("mnuAutoFit").onClick = [&app, workspace] { mnuAutoFit_Click(app, *workspace); };
    window.menu("mnuManualSeparate").onClick = [&app] { mnuManualSeparate_Click(app); };
    window.menu("mnuAutoSeparate").onClick = [&app, workspace] {
        mnuAutoSeparate_Click(app, *workspace);
    };
}

} // namespace kemvo
