#pragma once
// The finite-difference simulation of an inlaid microdisc in an insulating plane: every
// mechanism solved in two dimensions (oblate spheroidal coordinates, MicrodiscGrid.h), with the
// extrapolated time steps of the one-dimensional engine. An interval at constant potential (a
// drop, a pulse, a half period) takes a short second-order step after the jump that starts it
// and third-order ones to its end; a sweep follows the true linear ramp in second-order steps
// of at most 5 mV. Both extrapolate the fully implicit scheme, which keeps them free of
// oscillation.

#include "shell/CurveStore.h"
#include "shell/ExperimentState.h"

#include <functional>

namespace kemvo {

// Implicit solves the run takes: 15 to each interval at one potential (3 for its second-order
// step, 6 for each of two third-order ones) and 3 to each second-order step along a sweep.
double microdiscTimeSteps(const ExperimentState &state);

// Simulates points 1..state.pointCount of store.potential [V] at a disc of radius
// state.radius [cm] and area state.area [cm^2], with the programme of the one-dimensional
// engine (DigitalSimulation.h); writes store.reactionCurrent(p, j) [A] of each charge-transfer
// step (reduction negative) and the mean concentration over the disc's surface of each species,
// store.surfaceConc(p, s) [mol/L]. The electrode sees E - Ru I with the current I of the same
// time step, Ru = uncompensatedResistance [ohm]. A zero radius, area or diffusion coefficient,
// an overflow or a non-finite value raises RuntimeError. `pointDone(p)`, when given, is called
// after each point p and may end the run by throwing (StopRequested when the user stops it).
void runMicrodiscSimulation(const ExperimentState &state, CurveStore &store,
                            double uncompensatedResistance,
                            const std::function<void(int)> &pointDone = {});

} // namespace kemvo
