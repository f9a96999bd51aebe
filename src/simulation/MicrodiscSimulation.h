#pragma once
// The finite-difference simulation of an inlaid microdisc in an insulating plane: a
// two-dimensional, fully implicit box scheme on oblate spheroidal coordinates, in which the
// disc's steady state is linear and the edge singularity disappears.

#include "shell/CurveStore.h"
#include "shell/ExperimentState.h"

#include <functional>

namespace kemvo {

// Whether the two-dimensional simulation solves the mechanism: a single couple A + ne = B.
bool microdiscSimulatesMechanism(int mechanism);

// Time steps per data point: 1 for the sweep; otherwise 32 to each t pulse, with 2 pulses
// (half periods) to a square-wave point and, for the DC and pulse techniques, t drop / t pulse
// rounded to an even number of at least 2.
int microdiscStepsPerPoint(const ExperimentState &state);

// Simulates points 1..state.pointCount of store.potential [V] at a disc of radius
// state.radius [cm] and area state.area [cm^2], with the programme of the one-dimensional
// engine in microdiscStepsPerPoint implicit steps per point; writes store.reactionCurrent(p, 1)
// [A] (reduction negative) and the disc's mean surface concentrations store.surfaceConc(p, 1..2)
// [mol/L]. uncompensatedResistance [ohm] shifts each step's potential by Ru times the last
// current. A zero radius or diffusion coefficient, an overflow or a non-finite value raises
// RuntimeError.
// pointDone(p), when given, is called after each data point p and may end the run by throwing
// (StopRequested when the user stops it).
void runMicrodiscSimulation(const ExperimentState &state, CurveStore &store,
                            double uncompensatedResistance,
                            const std::function<void(int)> &pointDone = {});

} // namespace kemvo
