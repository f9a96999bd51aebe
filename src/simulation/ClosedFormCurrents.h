#pragma once
// The closed-form currents of every charge-transfer step of the mechanisms the closed forms
// describe (1, 4, 9 and 17), whose step r links species 2r-1 and 2r: the step currents of the
// sweep and DC at each electrode, the pulse techniques at a plane or a sphere, the rotating
// disk, the thin layer, and the sweeps solved from their integral equation (plane, sphere,
// microdisc, catalytic EC').

#include "shell/CurveStore.h"
#include "shell/ExperimentState.h"

#include <functional>

namespace kemvo {

// Called after each point (point, pointCount); it may end the run by throwing.
using PointDone = std::function<void(int, int)>;

// Fills store.reactionCurrent(1..pointCount, r) [A] for r = 1..chargeCount from the programme
// in store.potential, with reduction positive as the closed forms count it. An overflow or a
// non-finite value raises RuntimeError.
void analyticalCurrents(const ExperimentState &state, CurveStore &store,
                        const PointDone &pointDone);

} // namespace kemvo
