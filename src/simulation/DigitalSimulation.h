#pragma once
// The finite-difference ("digital") simulation: an implicit box scheme on an expanding grid,
// Butler-Volmer kinetics at the electrode and the chemical steps of the mechanism in every box,
// each species with its own diffusion coefficient. One call simulates the whole potential
// programme.
//
// The sweep (technique 1) takes one fully implicit step of td per point on the standard grid;
// on the fine grid it follows the true linear ramp between points in second-order sub-steps.
// The pulse techniques resolve every interval at constant potential (drop, pulse,
// half-period) by second-order sub-steps growing from the jump that starts it, and sample at
// its end: DC the end of the drop, normal pulse the end of the pulse, differential pulse the
// end of the pulse less the end of the hold before it, square wave the forward half-period
// (Ep + Epulse) less the reverse one (Ep - Epulse) that follows it. Techniques 2-4 start every
// point from rest.

#include "shell/CurveStore.h"
#include "shell/ExperimentState.h"

#include <functional>
#include <string>

namespace kemvo {

// Simulates points 1..state.pointCount of store.potential [V] and writes
//  - store.reactionCurrent(p, j) [A] for charge-transfer steps j = 1..chargeCount
//    (reduction negative), and
//  - store.surfaceConc(p, s) [mol/L] for species s = 1..speciesCount.
// uncompensatedResistance [ohm] is the number in the parameters window's Ru box; the electrode
// sees E - Ru I with the current I of the same time step. fineGrid selects the fine grid.
// A microdisc is simulated in two dimensions (MicrodiscSimulation.h), on its own grid; so is
// the exposed end of a cylinder or hemicylinder, which carries the current of a disc of the
// rod's radius over its share r/(r + 2l) of the area (GeometryCurrents.h).
// A singular block calls `message` with "Error: inverse matrix" (at most once per run) and the
// run goes on. A diffusion coefficient that is not positive, an overflow or any non-finite
// value raises RuntimeError. `pointDone(p)` is called after each data point p; it may end the
// run by throwing.
void runDigitalSimulation(const ExperimentState &state, CurveStore &store,
                          double uncompensatedResistance,
                          const std::function<void(const std::string &)> &message,
                          bool fineGrid = false, const std::function<void(int)> &pointDone = {});

} // namespace kemvo
