#pragma once
// What the fit commands keep between commands: the measured curve every fit compares with, and
// the result of the last Auto Fit, which Take Fitted Values and Save read.

#include <optional>
#include <string>
#include <vector>

namespace kemvo {

// The curve a fit compares with: taken when the first fit after an import (or after the
// programme started) begins, or by "Use Current Curve as Measured"; an import clears it.
struct FitMeasurement {
    std::vector<double> potential; // [V] points 1..n
    std::vector<double> value;     // the displayed quantity, [A] for a current
};

struct FittedParameter {
    int entry = 0;                       // its fit entry (CheckFitted index)
    std::string name;                    // "ks(1)", "C(A)", ...
    double value = 0;                    // in its own units
    std::optional<double> standardError; // none: not determined
    std::string remark;                  // "at lower bound", "not determined", ...; empty when none
    bool logStepped = false;
};

struct FitRecord {
    std::vector<FittedParameter> parameters;
    std::vector<std::string> correlations; // "ks(1), alpha(1): 0.97" for |r| > 0.95
    int points = 0;
    double leastSquare = 0;
    double rmsResidual = 0; // [A] sqrt(leastSquare / points)
    double rmsPercent = 0;  // of the largest measured |I|
    std::string outcome;    // "converged", "not converged: iteration limit", ...
};

} // namespace kemvo
