#pragma once
// The finite-difference ("digital") simulation: a fully implicit box scheme on an expanding
// grid, Butler-Volmer kinetics at the electrode and the chemical steps of the mechanism in
// every box. One call simulates the whole potential programme.

#include "shell/CurveStore.h"
#include "shell/ExperimentState.h"

#include <functional>
#include <string>

namespace kemvo {

// Time steps per data point: 1 for the sweep, 2 for the square wave, and for the DC and pulse
// techniques t drop / t pulse rounded to an even number of at least 2.
int stepsPerPoint(const ExperimentState &state);

// Simulates points 1..state.pointCount of store.potential [V] and writes
//  - store.reactionCurrent(p, j) [A] for charge-transfer steps j = 1..chargeCount
//    (reduction negative), and
//  - store.surfaceConc(p, s) [mol/L] for species s = 1..speciesCount.
// uncompensatedResistance [ohm] is the number in the parameters window's Ru box.
// A singular block calls `message` with "Error: inverse matrix" (at most once per run) and the
// run goes on. lambda = 0, an overflow or any non-finite value raises RuntimeError.
// `pointDone(p)` is called after each data point p; it may end the run by throwing.
void runDigitalSimulation(const ExperimentState &state, CurveStore &store,
                          double uncompensatedResistance,
                          const std::function<void(const std::string &)> &message,
                          const std::function<void(int)> &pointDone = {});

} // namespace kemvo
