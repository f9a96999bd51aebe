#pragma once
// The global fit: several measured curves, each with its own potential programme (a scan-rate
// series, say), fitted together. The parameters of the chemistry (E0, ks, alpha, kf, kb ...)
// are shared by every curve; those of the cell (Cdl, Ru, a concentration) may be fitted per
// curve. The objective stacks the residuals of every curve, each weighted by 1/sigma^2 of its
// own noise, estimated once from the data alone (the residual of local quartics), or by equal
// weights. Each curve is simulated by its own objective on its own copy of the experiment, the
// curves of one evaluation side by side on the machine's cores; a curve is always simulated
// by the same code on the same data, so the results do not depend on the number of threads.

#include "fitting/FitUncertainty.h"
#include "fitting/FitWindow.h"
#include "fitting/Marquardt.h"
#include "fitting/SimulationObjective.h"
#include "shell/ExperimentState.h"

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kemvo {

// The most curves a global fit holds.
inline constexpr int kMaxGlobalCurves = 8;

// One measured curve with the experiment that recorded it.
struct GlobalCurve {
    std::string label;             // the file's curve, "cv_100mV.txt: cycle 2"
    std::vector<double> potential; // [V] points 1..n
    std::vector<double> value;     // [A]
    ExperimentState programme;     // the state as the curve was added: its programme fields
    FitWindow window;              // the points it weighs
};

// The programme fields of `from` (potentials, step, scan rate, quiet time, cycles, pulse
// timing) written over those of `to`; the chemistry and the cell stay those of `to`.
void takeProgramme(ExperimentState &to, const ExperimentState &from);

// The noise [A] of a measured curve: the robust deviation of the residuals of local quartics
// through 7 points, sweep by sweep. 0 when the curve is too short to tell.
double curveNoise(const std::vector<double> &potential, const std::vector<double> &value,
                  double eStep);

// What a global fit takes from the windows, once, on the window thread.
struct GlobalFitSetup {
    ObjectiveSetup base; // the experiment, the displayed quantity and the fitted candidates
    std::vector<GlobalCurve> curves;
    std::vector<bool> perCurve;       // per candidate of base.fitIndex: fitted per curve
    std::vector<double> lower, upper; // per candidate
    std::vector<double> start;        // per candidate: the typed value
    bool equalWeights = false;        // every point of every curve weighed alike
    int threads = 0;                  // the curves simulated side by side; 0: the cores
};

// A fitted parameter: shared (curve -1) or of one curve (0-based).
struct GlobalParameter {
    int entry = 0; // the candidate (CheckFitted index)
    int curve = -1;
    double start = 0;
    double value = 0;
    std::optional<double> standardError;
    std::string remark; // "at lower bound", "not determined", "poorly determined", or empty
    bool logStepped = false;
};

struct GlobalCurveResult {
    std::string label;
    double scanRate = 0;    // [V/s] of its programme
    int points = 0;         // fitted, inside the curve's window
    double noise = 0;       // [A] sigma as estimated from the data
    double weight = 1;      // of each squared residual: 1/sigma^2, or 1 for equal weights
    double rmsResidual = 0; // [A] over the fitted points
    double leastSquare = 0; // [A^2] unweighted, over the fitted points
    std::vector<double> potential, measured, fitted; // the whole curve [V], [A], [A]
};

struct GlobalFitResult {
    std::vector<GlobalParameter> parameters; // the shared ones first, then curve by curve
    std::vector<std::vector<double>> correlation;
    std::vector<GlobalCurveResult> curves;
    double leastSquare = 0; // the weighted sum the fit minimised
    int flag = 0;
    int iterations = 0;
    int evaluations = 0;
    int simulations = 0; // of single curves, the Jacobians' included
    bool equalWeights = false;
    int threads = 1;
};

// Runs the global fit from the typed starts. afterIteration (the iteration count and the
// weighted least square) may stop the fit by returning false; stop, when given, also ends a
// simulation between its points. Raises FitRefusal for no curve, more than kMaxGlobalCurves, a
// curve whose programme does not reach its potentials, a curve whose noise cannot be
// estimated (with weights from the data), and RuntimeError when the start cannot be simulated.
GlobalFitResult runGlobalFit(const GlobalFitSetup &setup, MarquardtMemory &memory,
                             const std::function<bool(int, double)> &afterIteration = {},
                             std::atomic<bool> *stop = nullptr);

} // namespace kemvo
