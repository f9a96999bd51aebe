#pragma once
// The potential programme of a simulation, as a potentiostat runs a cyclic voltammogram:
// E start -> E end (the first vertex) -> E vertex 2 -> E end -> ... -> E final, in steps of
// E step [V]. `cycles` counts cycles by their vertices, two to a cycle (0.5 a single sweep to
// E end, 1 out and back, 2.5 five vertices); from one cycle on, a last sweep runs from the last
// vertex to E final where that differs from it. With E vertex 2 and E final at E start this is
// the programme E start -> E end -> back, repeated. Every turning point is listed twice (the
// end of one sweep and the start of the next: the same instant), and every potential is the
// double nearest the decimal value E start +- k E step, so that 0.3 - 4 x 0.005 reads 0.28;
// a vertex off the staircase is taken at the nearest step. The pulse techniques run E start ->
// E end and back (E vertex 2 and E final at E start).

#include "shell/CurveStore.h"
#include "shell/ExperimentState.h"

#include <cstdint>
#include <vector>

namespace kemvo {

// Points of one sweep: |E end - E start| / E step + 1; a sweep of 32767 steps or more raises
// RuntimeError ("Overflow").
int pointsPerSweepOf(const ExperimentState &state);

// Points of the whole programme whose first sweep has np points.
std::int32_t pointCountOf(const ExperimentState &state, int np);

// [V] E vertex 2 and E final of the state; E start where they are not set.
double secondVertexOf(const ExperimentState &state);
double finalPotentialOf(const ExperimentState &state);

// The turning points of the programme in whole steps from E start (signed), starting with 0:
// E start, the vertices, and E final when a last sweep runs to it.
std::vector<long long> turningSteps(const ExperimentState &state);

// The turning points of a sweep's programme, each listed twice: its vertices (0 for the pulse
// techniques).
int turningPointCount(const ExperimentState &state);

// [s] The time the sweep spends holding its turning points: vertexHold at each of them.
double vertexHoldTime(const ExperimentState &state);

// Refuses with a RuntimeError that says how many points it needs a programme of more than
// 4000 points, counted in doubles so that any size is named.
void requireProgrammeInStore(const ExperimentState &state);

// Writes state.pointsPerSweep, state.pointCount, state.sweeps and store.potential(1..pointCount)
// from eStart, eEnd, eVertex2, eFinal, eStep, cycles and scanSign.
void buildProgramme(ExperimentState &state, CurveStore &store);

// Whether point i lies on a sweep that runs as the first does (towards E end): its sweep's
// direction is scanSign; a sweep without a step alternates with the one before.
bool forwardSweep(const ExperimentState &state, int i);

// [V] E pulse of point i as the differential pulse and the square wave's forward half-period
// apply it: with the scan on forward sweeps, against it on the sweeps back, so that the return
// sweep's peaks mirror the forward ones.
double pulseWithScan(const ExperimentState &state, int i);

} // namespace kemvo
