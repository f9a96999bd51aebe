#pragma once
// The X Data and Y Data commands: the potential axis, or the current curve, times a factor.

#include "shell/Application.h"

namespace kemvo {

// potential(i) *= factor for i = 1..pointCount (never past the arrays' last point). A result
// that would not be finite, or would collapse the axis (a potential that becomes 0 or too
// small to hold, or two potentials that become equal), is refused with a message and changes
// nothing.
void scalePotential(Application &app, double factor);
// curves(i, currentCurve) *= factor for i = 1..pointCount (never past the last point), refused
// in the same way when a value would not be finite or would vanish.
void scaleCurrentCurve(Application &app, double factor);

} // namespace kemvo
