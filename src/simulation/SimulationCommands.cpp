#include "simulation/SimulationCommands.h"

#include "setup/Catalogue.h"
#include "setup/ParameterIntake.h"
#include "shell/Application.h"
#include "shell/BoxValue.h"
#include "shell/CommandGuard.h"
#include "shell/NumberText.h"
#include "simulation/ClosedFormCatalogue.h"
#include "simulation/DigitalSimulation.h"
#include "simulation/DisplayedQuantity.h"
#include "simulation/SimulationDriver.h"

#include <memory>

namespace kemvo {
namespace {

const char *const kTail = "! Please try again by other initial values.";

std::string errorPrefix(const ExperimentState &state) {
    return state.digital ? "Digital simulation Error: " : "Analytical simulation Error: ";
}

// Outside a fit the user sees the progress and may stop the run at any point; a fit polls
// once per iteration itself.
std::function<void(int, int)> progressPoll(Application &app) {
    if (app.state().fitMode)
        return {};
    return [&app](int point, int count) {
        if (app.platform().progress.advance(static_cast<double>(point) / count))
            throw StopRequested();
    };
}

} // namespace

double resistanceBoxValue(Application &app) {
    const std::string &text = app.control<TextBox>("FormExpr", "Ru").text();
    if (!resistanceInUse(app.state()))
        return isNumber(text) ? leadingValue(text) : 0;
    return strictBoxValue(text, app.control<Label>("FormExpr", "LabelRu").caption(),
                          Allowed::NonNegative);
}

namespace {

SimulationInputs inputsFromWindows(Application &app) {
    SimulationInputs inputs;
    inputs.overlapTicked = app.control<CheckBox>("formOption", "overlap").checked();
    inputs.pointDone = progressPoll(app);
    inputs.resistance = resistanceBoxValue(app);
    inputs.digitalSimulation = [&app, poll = inputs.pointDone, ru = inputs.resistance](
                                   const ExperimentState &state, CurveStore &store) {
        const bool fine = app.control<CheckBox>("FormTech", "CheckFine").checked();
        std::function<void(int)> pointDone;
        if (poll)
            pointDone = [&poll, &state](int point) { poll(point, state.pointCount); };
        runDigitalSimulation(
            state, store, ru, [&app](const std::string &message) { app.showMessage(message); },
            fine, pointDone);
    };
    return inputs;
}

// Enables the Display and Analysis menus when it goes out of scope, also when the plot
// refresh before it fails.
struct MenusEnabledAtEnd {
    Application &app;
    ~MenusEnabledAtEnd() { app.mainWindow().enableDisplayAndAnalysis(); }
};

// Begins the progress of a run outside a fit and ends it however the run ends.
class ProgressShown {
public:
    explicit ProgressShown(Application &app) : app_(app), shown_(!app.state().fitMode) {
        if (shown_)
            app_.platform().progress.begin("Simulating");
    }
    ~ProgressShown() {
        if (shown_)
            app_.platform().progress.end();
    }
    ProgressShown(const ProgressShown &) = delete;
    ProgressShown &operator=(const ProgressShown &) = delete;

private:
    Application &app_;
    bool shown_;
};

// The run works on a copy of the state and on the application's scratch curve store, and
// takes both only when it has reached its end, so that a failed or stopped run leaves every
// curve as it was. The run writes the programme, the currents and (digitally) the surface
// concentrations of its points; the scratch store gets a copy of what it does not write: the
// other curves and, after a closed-form run, the surface concentrations shown so far.
//
// While surface concentrations are shown the overlapped curves are kept aside (see
// DisplayedQuantity); the run takes its slot among those curves and keeps them aside again.
void simulateWithWindows(Application &app) {
    Application::DerivedQuantity &derived = app.derivedQuantity;
    ExperimentState trial = app.state();
    CurveStore &scratch = app.scratchStore();
    scratch.curves = derived.shelvedCurves ? *derived.shelvedCurves : app.store().curves;
    if (derived.shelvedCurves)
        trial.curveCount = derived.shelvedCurveCount;
    if (!trial.digital)
        scratch.surfaceConc = app.store().surfaceConc;
    {
        ProgressShown progress(app);
        simulateCurves(trial, scratch, inputsFromWindows(app));
    }
    trial.firstPoint = 1;
    trial.lastPoint = trial.pointCount;
    std::shared_ptr<const PointTable<6>> shelf;
    const Int16 shelfCount = trial.curveCount;
    if (displayedQuantityChoice(app) == kShowSurfaceConcentration)
        shelf = std::make_shared<const PointTable<6>>(scratch.curves);
    std::string choice = DeriveDisplayedQuantity(app, trial, scratch);
    app.state() = trial;
    app.takeScratchStore();
    derived.simulated = true;
    derived.choice = choice;
    derived.shelvedCurves = shelf;
    derived.shelvedCurveCount = shelfCount;
    derived.shelvedChoice.clear(); // the run's own column on the shelf is yet to be derived
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
    try {
        return runTrapped(app, errorPrefix(app.state()), kTail,
                          [&app] { simulateWithWindows(app); });
    } catch (const StopRequested &) {
        app.showMessage("Simulation stopped: the curves are as they were.");
        return false;
    }
}

void mnuSimulate_Click(Application &app) {
    if (!takeParameters(app))
        return;
    // A run refused before it computes shows only its message: there is no new curve to
    // plot and nothing to analyse.
    if (refusedByTheClosedForms(app) ||
        !runTrapped(app, errorPrefix(app.state()), kTail, [&app] { checkRunnable(app.state()); }))
        return;
    MenusEnabledAtEnd menus{app};
    // A failed or stopped run has said why; the plot still shows the curves as they were.
    if (Simulate(app))
        app.refreshPlot();
}

void installSimulationCommands(Application &app) {
    installDisplayedQuantityRefresh(app);
    app.mainWindow().menu("mnuSimulate").onClick = [&app] { mnuSimulate_Click(app); };
}

} // namespace kemvo
