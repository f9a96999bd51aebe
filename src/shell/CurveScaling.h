#pragma once
// The X Data and Y Data commands: the potential axis, or the current curve, times a factor.

#include "shell/Application.h"

namespace kemvo {

// potential(i) *= factor for i = 1..pointCount (never past the arrays' last point).
void scalePotential(Application &app, double factor);
// curves(i, currentCurve) *= factor for i = 1..pointCount (never past the last point).
void scaleCurrentCurve(Application &app, double factor);

} // namespace kemvo
