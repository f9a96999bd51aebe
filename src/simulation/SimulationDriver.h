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
    // [ohm] the Ru box: the charging of the double layer through it after each potential step
    // of the stepped techniques (the finite-difference engine takes it as its own argument).
    double resistance = 0;
    // Fills reactionCurrent(., 1..chargeCount) [A] and surfaceConc for the programme in
    // store.potential; called only when state.digital is set.
    std::function<void(const ExperimentState &, CurveStore &)> digitalSimulation;
    // Called after each point of the closed forms (point, pointCount); it may end the run by
    // throwing (StopRequested when the user stops it).
    std::function<void(int, int)> pointDone;
};

// Refuses with a RuntimeError, before anything is computed or written, a run that cannot give a
// true curve: a mechanism the closed forms do not describe, the thin film or rotating disk in
// the finite-difference simulation, a programme of more than 4000 points (the message says how
// many it needs and what to change), or a finite-difference run of more time steps than a user
// would wait for (the message gives the number and the boxes to change).
void checkRunnable(const ExperimentState &state);

// The computing steps of a simulation, up to and including the noise: writes curveCount,
// currentCurve, simSlot, fOverRT, scanSign, pointsPerSweep, pointCount, potential,
// reactionCurrent, yMax and yMin, after checkRunnable. A run-time error (RuntimeError) ends it
// where it arises and leaves what was written: the caller runs it on scratch copies.
//
// Each potential of the programme is the double nearest the decimal E start +- k E step.
//
// Currents [A] are stored with oxidation positive and reduction negative whether they come
// from the closed forms or the finite-difference simulation, the double-layer charging
// included: negative while the potential falls, positive while it rises.
//
// The analytical path serves the mechanisms 1, 4 and 9, whose charge step r links species
// 2r-1 and 2r, and 17.
void simulateCurves(ExperimentState &state, CurveStore &store, const SimulationInputs &inputs);

} // namespace kemvo
