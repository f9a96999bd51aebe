#include "fitting/SimulationObjective.h"

#include "setup/FormExpr.h"
#include "setup/PreEquilibrium.h"
#include "shell/Application.h"
#include "shell/Constants.h"
#include "shell/NumberText.h"
#include "simulation/DigitalSimulation.h"
#include "simulation/DisplayedQuantity.h"
#include "simulation/SimulationCommands.h"

#include <cmath>
#include <limits>

namespace kemvo {

ObjectiveSetup objectiveSetup(Application &app, std::vector<int> fitIndex,
                              std::vector<double> measuredPotentials) {
    ObjectiveSetup setup;
    setup.state = app.state();
    setup.resistance = resistanceBoxValue(app);
    setup.quantity = app.control<ComboBox>("formOption", "ComboY").text();
    if (needsCellLength(setup.quantity))
        setup.cellLength = strictValue(app.control<TextBox>("FormExpr", "TextDis").text());
    setup.fineGrid = app.control<CheckBox>("FormTech", "CheckFine").checked();
    FormExpr &form = app.form<FormExpr>();
    ConcentrationRule &rule = setup.concentrations;
    for (int j = 1; j <= setup.state.speciesCount; ++j)
        rule.bulk[static_cast<std::size_t>(j)] = strictValue(form.C(j).text());
    rule.preEquilibrate = form.CheckPreEqu.checked();
    rule.preconcentrate = form.CheckPreCon.checked();
    if (rule.preconcentrate && rule.bulk[1] > 0)
        rule.preconcentrationGain = setup.state.cInit[2] / rule.bulk[1];
    setup.fitIndex = std::move(fitIndex);
    setup.measured = std::move(measuredPotentials);
    return setup;
}

SimulationObjective::SimulationObjective(const ObjectiveSetup &setup, CurveStore &store)
    : setup_(setup), state_(setup.state), resistance_(setup.resistance), store_(store) {
    inputs_.overlapTicked = false;
    inputs_.pointDone = [this](int, int) {
        if (pointPoll)
            pointPoll();
    };
    inputs_.digitalSimulation = [this](const ExperimentState &state, CurveStore &simulated) {
        // A singular block is reported once per fit, not at every trial.
        runDigitalSimulation(
            state, simulated, resistance_,
            [this](const std::string &message) {
                if (matrixMessage.empty())
                    matrixMessage = message;
            },
            setup_.fineGrid,
            [this](int) {
                if (pointPoll)
                    pointPoll();
            });
    };
}

namespace {

bool isConcentration(int k) {
    return k >= fitConcentration(1) && k <= fitConcentration(4);
}

// The initial concentrations of the trial state from the bulk concentrations, as the parameters
// window derives them from its boxes.
StepTable initialConcentrations(const ExperimentState &state, const ConcentrationRule &rule,
                                const StepTable &bulk) {
    StepTable cInit = state.cInit;
    for (std::size_t j = 1; j <= 4; ++j)
        cInit[j] = bulk[j];
    // A quiet time is a hold of known length at E start: it replaces the infinitely long one,
    // as in the parameters window, and the solution starts uniform.
    if (rule.preEquilibrate && !(state.quietTime > 0)) {
        EquilibriumInputs in;
        in.mechanism = state.mechanism;
        in.chargeCount = state.chargeCount;
        in.fOverRT = checkedDivide(kFaraday, kGasConstant * state.temperatureK);
        in.eStart = state.eStart;
        in.electrons = state.electrons;
        in.e0 = state.e0;
        in.bulk = bulk;
        const double kf = state.kf[1];
        const double kb = state.kb[1];
        in.keq1 = kb > 0 ? kf / kb : kf > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        in.stoich1 = state.stoich[1];
        in.chemistryFrozen = kf == 0 && kb == 0;
        for (const auto &[species, value] : preEquilibrated(in))
            cInit[static_cast<std::size_t>(species)] = value;
    }
    if (rule.preconcentrate)
        cInit[2] = bulk[1] * rule.preconcentrationGain;
    return cInit;
}

} // namespace

void SimulationObjective::operator()(const std::vector<double> &x, std::vector<double> &ycalc) {
    ExperimentState &state = state_;
    CurveStore &store = store_;
    const ConcentrationRule &rule = setup_.concentrations;
    StepTable bulk = rule.bulk;
    bool concentrationFitted = false;
    for (std::size_t m = 0; m < setup_.fitIndex.size(); ++m) {
        const int k = setup_.fitIndex[m];
        if (isConcentration(k)) {
            bulk[static_cast<std::size_t>(k)] = x[m];
            concentrationFitted = true;
        } else {
            setFitCandidate({state, resistance_}, k, x[m]);
        }
    }
    if (concentrationFitted || rule.preEquilibrate)
        state.cInit = initialConcentrations(state, rule, bulk);
    inputs_.resistance = resistance_;
    simulateCurves(state, store, inputs_);
    if (!aligned_)
        alignWithMeasuredCurve();
    state.firstPoint = 1;
    state.lastPoint = state.pointCount;
    DeriveDisplayedQuantity(state, store, setup_.quantity, setup_.cellLength);
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
    const ExperimentState &state = state_;
    const CurveStore &store = store_;
    const std::vector<double> &measured = setup_.measured;
    const int n = static_cast<int>(measured.size());
    const int simulated = std::min<int>(state.pointCount, kMaxPoints);
    const std::vector<double> programme = potentialsOf(store, simulated);
    if (state.pointCount == n && sameAxis(measured, programme, state.eStep)) {
        aligned_ = true;
        return;
    }
    axisMap_ = MeasuredAxisMap::build(measured, programme, measuredAxisTolerance(state));
    if (axisMap_) {
        aligned_ = true;
        return;
    }
    throw FitRefusal(
        "Fit Error: the measured curve has " + programmeText(n, measured.front(), measured.back()) +
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
