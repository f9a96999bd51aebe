#pragma once
// A curve cut into its sweeps where the potential turns, so that measured cycles and any
// programme of turning points are searched alike, and each sweep as the peak search reads it.

#include "shell/CurveStore.h"

#include <vector>

namespace kemvo {

// Points first..last of the store, in one direction of the potential. Each sweep but the first
// begins on the last point of the one before: the switching point, the first point that
// reached the vertex (of a vertex repeated, its first copy).
struct CurveSweep {
    int first = 0;
    int last = 0;
    int direction = 0; // +1 towards more positive potentials, -1 towards more negative ones
};

// Points a..b of the store's axis cut where the potential turns back by more than half its
// median step (an instrument's potential wanders by less).
std::vector<CurveSweep> curveSweeps(const CurveStore &store, int a, int b);

// One sweep of one curve as the search reads it, indexed 0..size-1 from sweep.first.
struct SweepData {
    CurveSweep sweep;
    std::vector<double> E;      // [V] potentials
    std::vector<double> tau;    // [V] time in potential units: the path swept since point a
    std::vector<double> y;      // the displayed values as stored
    std::vector<double> smooth; // a smoothed copy, multiplied by orientation
    int orientation = 1;        // +1: the waves of this sweep are maxima of y; -1: minima
    int size() const { return static_cast<int>(y.size()); }
    // The time at potential e within the sweep (the sweep is monotonic in E).
    double tauAt(double e) const;
};

} // namespace kemvo
