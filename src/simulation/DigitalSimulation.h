#pragma once
// The finite-difference ("digital") simulation: a fully implicit box scheme on an expanding
// grid, Butler-Volmer kinetics at the electrode and the chemical steps of the mechanism in
// every box. One call simulates the whole potential programme.

#include "shell/CurveStore.h"
#include "shell/ExperimentState.h"

#include <functional>
#include <string>

namespace kemvo {

// Simulates points 1..state.pointCount of store.potential [V] and writes
//  - store.reactionCurrent(p, j) [A] for charge-transfer steps j = 1..chargeCount
//    (reduction negative), and
//  - store.surfaceConc(p, s) [mol/L] for species s = 1..speciesCount.
// uncompensatedResistance [ohm] is the number in the parameters window's Ru box.
// A microdisc is simulated in two dimensions (MicrodiscSimulation.h) for a single couple, and
// with chemistry as the hemisphere of the disc's area and steady current.
// A singular block calls `message` with "Error: inverse matrix" (at most once per run) and the
// run goes on. lambda = 0, an overflow or any non-finite value raises RuntimeError.
void runDigitalSimulation(const ExperimentState &state, CurveStore &store,
                          double uncompensatedResistance,
                          const std::function<void(const std::string &)> &message);

} // namespace kemvo
