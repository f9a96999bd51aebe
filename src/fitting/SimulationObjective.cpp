#include "fitting/SimulationObjective.h"

#include "shell/Application.h"
#include "shell/NumberText.h"
#include "simulation/DigitalSimulation.h"
#include "simulation/DisplayedQuantity.h"
#include "simulation/SimulationCommands.h"

#include <cmath>

namespace kemvo {

SimulationObjective::SimulationObjective(Application &app, std::vector<int> fitIndex,
                                         std::vector<double> measuredPotentials, CurveStore &store)
    : resistance(resistanceBoxValue(app)), app_(app), store_(store), fitIndex_(std::move(fitIndex)),
      measured_(std::move(measuredPotentials)),
      quantity_(app.control<ComboBox>("formOption", "ComboY").text()), cellLength_(0) {
    if (needsCellLength(quantity_))
        cellLength_ = strictValue(app.control<TextBox>("FormExpr", "TextDis").text());
    inputs_.overlapTicked = false;
    inputs_.pointDone = [this](int, int) {
        if (pointPoll)
            pointPoll();
    };
    inputs_.digitalSimulation = [this](const ExperimentState &state, CurveStore &simulated) {
        // A singular block is reported once per fit, not at every trial.
        runDigitalSimulation(
            state, simulated, resistance,
            [this](const std::string &message) {
                if (!matrixMessageShown_)
                    app_.showMessage(message);
                matrixMessageShown_ = true;
            },
            false,
            [this](int) {
                if (pointPoll)
                    pointPoll();
            });
    };
}

void SimulationObjective::operator()(const std::vector<double> &x, std::vector<double> &ycalc) {
    ExperimentState &state = app_.state();
    CurveStore &store = store_;
    for (std::size_t m = 0; m < fitIndex_.size(); ++m)
        setFitCandidate({state, resistance}, fitIndex_[m], x[m]);
    inputs_.resistance = resistance;
    simulateCurves(state, store, inputs_);
    if (!aligned_)
        alignWithMeasuredCurve();
    state.firstPoint = 1;
    state.lastPoint = state.pointCount;
    DeriveDisplayedQuantity(state, store, quantity_, cellLength_);
    const int column = state.currentCurve;
    if (!axisMap_) {
        for (std::size_t i = 0; i < ycalc.size(); ++i)
            ycalc[i] = store.curves(static_cast<int>(i) + 1, column);
        return;
    }
    for (std::size_t i = 0; i < ycalc.size(); ++i)
        ycalc[i] = axisMap_->read(i + 1, [&](int j) { return store.curves(j, column); });
}

// Point i of the simulation is compared with point i of the measured curve when they are the
// same potentials, to half a step; otherwise each measured potential is read within the
// programme sweep of the same order, which must reach it to half a step.
void SimulationObjective::alignWithMeasuredCurve() {
    const ExperimentState &state = app_.state();
    const CurveStore &store = store_;
    const int n = static_cast<int>(measured_.size());
    const int simulated = std::min<int>(state.pointCount, kMaxPoints);
    const std::vector<double> programme = potentialsOf(store, simulated);
    if (state.pointCount == n && sameAxis(measured_, programme, state.eStep)) {
        aligned_ = true;
        return;
    }
    axisMap_ = MeasuredAxisMap::build(measured_, programme, measuredAxisTolerance(state));
    if (axisMap_) {
        aligned_ = true;
        return;
    }
    throw FitRefusal(
        "Fit Error: the measured curve has " +
        programmeText(n, measured_.front(), measured_.back()) +
        ", the programme of the parameters window " +
        programmeText(state.pointCount, store.potential(1), store.potential(simulated)) +
        ". Set E start, E end, E step and the scan (Single, Cycle, 2 Cycles) to those of the "
        "measurement.");
}

std::string SimulationObjective::programmeText(int points, double first, double last) const {
    return std::to_string(points) + " points from " + generalNumber(first) + " V to " +
           generalNumber(last) + " V";
}

} // namespace kemvo
