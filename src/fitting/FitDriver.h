#pragma once
// Auto Fit: the ticked parameters of the parameters window fitted to the measured curve by the
// Marquardt engine, each objective evaluation a full simulation, with its report.

#include "fitting/FitReport.h"
#include "fitting/Marquardt.h"
#include "shell/CurveStore.h"
#include "shell/ExperimentState.h"
#include "shell/FitRecord.h"

#include <memory>
#include <vector>

namespace kemvo {

class Application;

// What the fit commands keep for the whole run of the application: the engine's memory, and
// the curve store that the fit's simulations write (the best one is copied into the
// application's store at the end).
struct FitWorkspace {
    MarquardtMemory memory;
    std::unique_ptr<CurveStore> store = std::make_unique<CurveStore>();
};

// The measured curve of the fit: the kept one (Application::measured), or, when none (or an
// empty one) is kept, the current curve, which is kept from now on. Unless overlapMode is on, it is
// written back as the only curve (column 1 with its potentials; pointCount its points; curveCount,
// simSlot and currentCurve = 1), so that a fit after a fit compares with the measurement, never
// with the previous fit's simulation.
void PrepareFitCurve(Application &app);

// The current curve (points 1..pointCount with their potentials) as the measured curve of the
// fits that follow.
FitMeasurement currentCurve(Application &app);

// Fits the candidates whose CheckFitted box is ticked and visible, within their TextCmin and
// TextCmax bounds (a range the user has not typed proposed afresh around the typed value),
// from the typed values (a concentration from the bulk concentration typed) and TextStarts
// further starts of a Latin hypercube, fitted side by side on the machine's cores, to ymeas
// (points 1..n of the measured curve, on the potentials now in the store). Prints a "Least square =
// " line per iteration, then the report, and shows the fitted values in the tick boxes' captions.
// The best parameters found are the result, also when the user stops the fit: after the fit the
// state holds them and column 2 their simulation. Raises FitRefusal before any simulation for a
// bound that is missing, not a number or above the other, a typed value outside its bounds, and
// when the programme's sweeps do not reach the measured potentials (a programme on another grid is
// read at the measured potentials, and its simulation is stored so); raises RuntimeError when the
// start cannot be simulated. Either failure leaves the state and the curve store as they were.
// Returns what the report shows (empty when stopped before the start was simulated).
FitSummary AutoFit(Application &app, FitWorkspace &workspace, const std::vector<double> &ymeas);

} // namespace kemvo
