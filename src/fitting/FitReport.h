#pragma once
// The report of Auto Fit on the result window: the iteration lines, the block of start and
// fitted values with the counters of the fit, and the table of standard errors with the
// pairs of parameters that the curve cannot tell apart.

#include "fitting/FitUncertainty.h"
#include "shell/controls/TextWindow.h"

#include <optional>
#include <string>
#include <vector>

namespace kemvo {

struct FitSummary {
    std::vector<int> fitIndex;  // candidate of each parameter
    std::vector<double> start;  // as read, before the move into the bounds
    std::vector<double> fitted; // the best parameters found
    double leastSquare = 0;     // sum of squared residuals at fitted
    double dataVar = 0;         // variance of the measured curve about its mean
    int flag = 0;               // the engine's convergence flag
    int iterations = 0;
    int evaluations = 0; // "No. of obj. fun."
    int marquardts = 0;
    double seconds = 0;  // computation time [s]
    int simulations = 0; // every simulation of the fit, its Jacobians included
    FitUncertainty uncertainty;
    std::vector<bool> logStepped;     // stepped in the logarithm
    std::vector<std::string> remarks; // "at lower bound", "poorly determined", ...; or empty
    int points = 0;                   // of the measured curve
    double rmsResidual = 0;           // [A] sqrt(leastSquare / points)
    double rmsPercent = 0;            // of the largest measured |I|
    double residualSd = 0;            // sqrt(leastSquare / (points - determined parameters))
    int starts = 1;                   // fitted
    int startsAtBest = 1;             // that reached the best least square within 1e-6
    // False when the user stopped the fit inside a simulation: the fit then ends at once with
    // its best point, without the Jacobian the standard errors would take.
    bool uncertaintyEstimated = true;
};

// Correlations above this magnitude are reported: such parameters trade off against each other.
inline constexpr double kStrongCorrelation = 0.95;

// A relative error beyond this leaves a parameter "poorly determined".
inline constexpr double kPoorlyDetermined = 0.5;

// A fitted value as Take Fitted Values types it: rounded at the second significant digit of its
// standard error, but to no fewer than four significant figures (four when it has none).
std::string roundedToError(double value, std::optional<double> standardError);

// "Least square = ", phi.
void printIterationLine(TextWindow &window, double leastSquare);

// The block "No.", "Initial value", , "Fitted value" ... "Computation time (s) =" with the
// outcome in words, the rms residual, the residual standard deviation and the starts; then the
// table "Parameter", "Value", "Std. error", "Rel. error (%)" with each parameter's remark and a
// line "strongly correlated: ks(1), alpha(1): 0.97" for every pair beyond kStrongCorrelation
// (or, for a fit stopped inside a simulation, the line "Standard errors are not estimated: the
// fit was stopped."), and the parameters stepped in their logarithm.
void printFitReport(TextWindow &window, const FitSummary &summary);

} // namespace kemvo
