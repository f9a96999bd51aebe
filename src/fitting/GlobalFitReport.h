#pragma once
// The report of a global fit on the result window, and its plot: each measured curve drawn
// with its fit in one colour (open markers the measurement, a line the fit), the curves of the
// list in turn through the plot's palette.

#include "fitting/GlobalFit.h"
#include "shell/Canvas.h"
#include "shell/controls/TextWindow.h"

namespace kemvo {

// The shared parameters with their standard errors and remarks, the pairs beyond
// kStrongCorrelation, then per curve its points fitted, noise, rms residual and own parameters,
// then the weighted least square, the outcome and the counters.
void printGlobalFitReport(TextWindow &window, const GlobalFitResult &result);

// The name of a parameter in reports and in the batch's columns: "ks(1)", or "Cdl [2]" for
// curve 2's own.
std::string globalParameterName(const GlobalParameter &p);

// Draws every curve of the result on the canvas (axes, ticks, legend).
void drawGlobalFit(Canvas &canvas, const GlobalFitResult &result);

} // namespace kemvo
