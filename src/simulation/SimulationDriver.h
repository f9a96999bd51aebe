#pragma once
// The simulation driver: from the parameters in ExperimentState to a simulated curve. Chooses
// the curve's column, builds the potential programme, computes the current of every
// charge-transfer step analytically or by the finite-difference simulation, sums them, adds
// double-layer charging and noise and records the extremes.

#include "shell/CurveStore.h"
#include "shell/ExperimentState.h"

#include <functional>

namespace kemvo {

// What a simulation takes besides the state: the plot options' overlap box and the
// finite-difference simulation (which reads the resistance box itself).
struct SimulationInputs {
    bool overlapTicked = false;
    // Fills reactionCurrent(., 1..chargeCount) [A] and surfaceConc for the programme in
    // store.potential; called only when state.digital is set.
    std::function<void(const ExperimentState &, CurveStore &)> digitalSimulation;
};

// The computing steps of a simulation, up to and including the noise: writes curveCount,
// currentCurve, simSlot, fOverRT, scanSign, pointsPerSweep, pointCount, potential,
// reactionCurrent, yMax and yMin. A run-time error (RuntimeError) ends it where it arises and
// leaves what was written; a programme of more than 4000 points fails while it is built.
//
// The analytical path serves the mechanisms 1, 4 and 9, whose charge step r links species
// 2r-1 and 2r, and 17; any other mechanism has chemistry the closed forms do not describe and
// is refused with a run-time error before anything is written.
void simulateCurves(ExperimentState &state, CurveStore &store, const SimulationInputs &inputs);

} // namespace kemvo
