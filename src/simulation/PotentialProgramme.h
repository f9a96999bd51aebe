#pragma once
// The potential programme of a simulation: E start -> E end in steps of E step [V], then, for a
// cycle, back to E start, and for two cycles the same again (0.5, 1 or 2 cycles). Every
// potential is the double nearest the decimal value E start +- k E step, so that 0.3 - 4 x 0.005
// reads 0.28 and a vertex listed twice carries one potential.

#include "shell/CurveStore.h"
#include "shell/ExperimentState.h"

#include <cstdint>

namespace kemvo {

// Points of one sweep: |E end - E start| / E step + 1; a sweep of 32767 steps or more raises
// RuntimeError ("Overflow").
int pointsPerSweepOf(const ExperimentState &state);

// Points of the whole programme of np points per sweep.
std::int32_t pointCountOf(const ExperimentState &state, int np);

// Refuses with a RuntimeError that says how many points it needs a programme of more than
// 4000 points, counted in doubles so that any size is named.
void requireProgrammeInStore(const ExperimentState &state);

// Writes state.pointsPerSweep, state.pointCount and store.potential(1..pointCount) from
// eStart, eEnd, eStep, cycles and scanSign.
void buildProgramme(ExperimentState &state, CurveStore &store);

// Whether point i lies on a sweep from E start towards E end: the first and, with two cycles,
// the third.
bool forwardSweep(const ExperimentState &state, int i);

// [V] E pulse of point i as the differential pulse and the square wave's forward half-period
// apply it: with the scan on forward sweeps, against it on the sweeps back, so that the return
// sweep's peaks mirror the forward ones.
double pulseWithScan(const ExperimentState &state, int i);

} // namespace kemvo
