#pragma once
// The fit's model: the simulation driver run on trial values of the fitted parameters, read as
// the displayed quantity of the current curve. What it needs from the windows is taken once,
// when the fit starts, so that an evaluation costs one simulation and nothing more.

#include "fitting/FitCandidates.h"
#include "fitting/MeasuredAxis.h"
#include "shell/RuntimeError.h"
#include "simulation/SimulationDriver.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kemvo {

class Application;

// A fit that cannot start as set up (its bounds, a measured curve the programme does not
// reproduce): the message is complete and is shown as it is.
class FitRefusal : public RuntimeError {
public:
    using RuntimeError::RuntimeError;
};

// How the initial concentrations follow the trial values: from the bulk concentrations (the
// typed ones, or the fitted ones), pre-equilibrated at the start potential with the trial's
// standard potentials and equilibrium constants when the window's box is ticked.
struct ConcentrationRule {
    StepTable bulk{};            // [mol/L] as typed, species 1..4
    bool preEquilibrate = false; // the parameters window's pre-equilibration box
    bool preconcentrate = false;
    double preconcentrationGain = 0; // cInit(B) / bulk(A) after the typed preconcentration
};

// What every evaluation needs, taken from the windows once on the window thread; each worker of
// a fit builds its own objective from it, so that evaluations run side by side.
struct ObjectiveSetup {
    ExperimentState state; // the experiment as the fit starts
    std::vector<int> fitIndex;
    std::vector<double> measured; // [V] the axis of the measured curve, points 1..n
    std::string quantity;         // the plot options' displayed quantity
    double cellLength = 0;        // [cm] for resistance and conductance
    double resistance = 0;        // [ohm] the uncompensated resistance as typed
    bool fineGrid = false;        // the technique window's fine grid
    ConcentrationRule concentrations;
};

// The setup of the fitted candidates from the windows: the state, the displayed quantity, the
// Ru box, the fine grid tick, and the initial concentrations' dependence on the bulk ones.
ObjectiveSetup objectiveSetup(Application &app, std::vector<int> fitIndex,
                              std::vector<double> measuredPotentials);

class SimulationObjective {
public:
    // store: where the simulations go, so that the application's curve store keeps the
    // measured curve untouched while the fit runs. Touches nothing of the application.
    SimulationObjective(const ObjectiveSetup &setup, CurveStore &store);

    // Writes x into the candidates of the objective's own state (the initial concentrations
    // following the concentration rule), simulates into the store (as fitMode makes it: column 2,
    // no noise), and copies curves(i, currentCurve), i = 1..n, into ycalc; where the programme's
    // points are not those of the measured curve, the simulation read at the measured
    // potentials (MeasuredAxis.h). Raises FitRefusal when the programme's sweeps do not reach
    // the measured potentials, RuntimeError when the simulation fails.
    void operator()(const std::vector<double> &x, std::vector<double> &ycalc);

    // After an evaluation: how the simulation is read at the measured potentials, or nullptr
    // when the programme reproduces them point for point.
    const MeasuredAxisMap *measuredAxisMap() const { return axisMap_ ? &*axisMap_ : nullptr; }
    const std::vector<double> &measuredPotentials() const { return setup_.measured; }
    // The state of the last evaluation.
    const ExperimentState &state() const { return state_; }
    double resistance() const { return resistance_; }

    // Called after each point of every simulation; it may end the evaluation by throwing
    // (StopRequested when the user stops the fit).
    std::function<void()> pointPoll;
    // The first message of a singular block in the fit's simulations, shown once by the fit.
    std::string matrixMessage;

private:
    void alignWithMeasuredCurve();
    std::string programmeText(int points, double first, double last) const;

    const ObjectiveSetup &setup_;
    ExperimentState state_;
    double resistance_;
    CurveStore &store_;
    SimulationInputs inputs_;
    // Found at the first evaluation: the fitted parameters never change the programme.
    bool aligned_ = false;
    std::optional<MeasuredAxisMap> axisMap_;
};

} // namespace kemvo
