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

class SimulationObjective {
public:
    // fitIndex: the candidate of each parameter (FitCandidates.h); measuredPotentials [V]: the
    // axis of the measured curve, points 1..n; store: where the simulations go, so that the
    // application's curve store keeps the measured curve untouched while the fit runs.
    SimulationObjective(Application &app, std::vector<int> fitIndex,
                        std::vector<double> measuredPotentials, CurveStore &store);

    // Writes x into the candidates of the application's state, simulates into the store (as
    // fitMode makes it: column 2, no noise), and copies curves(i, currentCurve), i = 1..n,
    // into ycalc; where the programme's points are not those of the measured curve, the
    // simulation read at the measured potentials (MeasuredAxis.h). Raises FitRefusal when the
    // programme's sweeps do not reach the measured potentials, RuntimeError when the
    // simulation fails.
    void operator()(const std::vector<double> &x, std::vector<double> &ycalc);

    // After an evaluation: how the simulation is read at the measured potentials, or nullptr
    // when the programme reproduces them point for point.
    const MeasuredAxisMap *measuredAxisMap() const { return axisMap_ ? &*axisMap_ : nullptr; }
    const std::vector<double> &measuredPotentials() const { return measured_; }

    double resistance; // [ohm] the uncompensated resistance of the simulations
    // Called after each point of every simulation; it may end the evaluation by throwing
    // (StopRequested when the user stops the fit).
    std::function<void()> pointPoll;

private:
    void alignWithMeasuredCurve();
    std::string programmeText(int points, double first, double last) const;

    Application &app_;
    CurveStore &store_;
    std::vector<int> fitIndex_;
    std::vector<double> measured_;
    std::string quantity_; // the plot options' displayed quantity
    double cellLength_;    // [cm] for resistance and conductance
    SimulationInputs inputs_;
    bool matrixMessageShown_ = false;
    // Found at the first evaluation: the fitted parameters never change the programme.
    bool aligned_ = false;
    std::optional<MeasuredAxisMap> axisMap_;
};

} // namespace kemvo
