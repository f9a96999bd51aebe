#include "simulation/SimulationCommands.h"

#include "setup/ParameterIntake.h"
#include "shell/Application.h"
#include "shell/CommandGuard.h"
#include "shell/NumberText.h"
#include "simulation/ClosedFormCatalogue.h"
#include "simulation/DigitalSimulation.h"
#include "simulation/DisplayedQuantity.h"
#include "simulation/SimulationDriver.h"

namespace kemvo {
namespace {

SimulationInputs inputsFromWindows(Application &app) {
    SimulationInputs inputs;
    inputs.overlapTicked = app.control<CheckBox>("formOption", "overlap").checked();
    inputs.digitalSimulation = [&app](const ExperimentState &state, CurveStore &store) {
        double ru = leadingValue(app.control<TextBox>("FormExpr", "Ru").text());
        bool fine = app.control<CheckBox>("FormTech", "CheckFine").checked();
        runDigitalSimulation(
            state, store, ru, [&app](const std::string &message) { app.showMessage(message); },
            fine);
    };
    return inputs;
}

// Enables the Display and Analysis menus when it goes out of scope, also when the plot
// refresh before it fails.
struct MenusEnabledAtEnd {
    Application &app;
    ~MenusEnabledAtEnd() { app.mainWindow().enableDisplayAndAnalysis(); }
};

void simulateWithWindows(Application &app) {
    ExperimentState &state = app.state();
    simulateCurves(state, app.store(), inputsFromWindows(app));
    state.firstPoint = 1;
    state.lastPoint = state.pointCount;
    DeriveDisplayedQuantity(app);
}

// An experiment that no closed form serves is refused before anything is computed, so the
// state and the curves stay as they were.
bool refusedByTheClosedForms(Application &app) {
    if (app.state().digital)
        return false;
    auto refusal = closedFormRefusal(app.state());
    if (refusal)
        app.showMessage("Analytical simulation Error: " + refusal->description + refusal->tail);
    return refusal.has_value();
}

} // namespace

bool Simulate(Application &app) {
    if (refusedByTheClosedForms(app))
        return false;
    return runTrapped(
        app, "Analytical simulation Error: ", "! Please try again by other initial values.",
        [&app] { simulateWithWindows(app); });
}

void mnuSimulate_Click(Application &app) {
    if (!takeParameters(app))
        return;
    MenusEnabledAtEnd menus{app};
    Simulate(app);
    app.refreshPlot();
}

void installSimulationCommands(Application &app) {
    installDisplayedQuantityRefresh(app);
    app.mainWindow().menu("mnuSimulate").onClick = [&app] { mnuSimulate_Click(app); };
}

} // namespace kemvo
