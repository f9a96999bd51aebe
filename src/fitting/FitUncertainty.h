#pragma once
// Standard errors and correlations of fitted parameters from the Jacobian at the fitted values:
// covariance = s^2 (J^T J)^-1 with s^2 = phi / (n - m), the residual variance of a least-squares
// fit with m determined parameters (N. R. Draper and H. Smith, Applied Regression Analysis, 3rd
// ed., Wiley 1998, ch. 24).

#include "fitting/Marquardt.h"

#include <optional>
#include <vector>

namespace kemvo {

struct FitUncertainty {
    // Per parameter: its standard error, or none when the curve does not determine it (a
    // parameter held fixed, one without influence, one that depends linearly on the others,
    // or no degree of freedom left).
    std::vector<std::optional<double>> standardError;
    // correlation[j][k] between determined parameters j and k, 0 where either is not.
    std::vector<std::vector<double>> correlation;
    int modelRuns = 0; // evaluations of the model for the Jacobian
};

// The uncertainty of the parameters x of the problem, whose model gives ycalc at x and the
// sum of squared residuals phi.
FitUncertainty estimateUncertainty(const MarquardtProblem &problem, const std::vector<double> &x,
                                   const std::vector<double> &ycalc, double phi);

} // namespace kemvo
