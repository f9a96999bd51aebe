#pragma once
// The sweeps of a potential axis, found from the potentials themselves: a sweep ends where the
// potential turns back. Measured and simulated axes alike, whatever programme ran them.

#include <vector>

namespace kemvo {

// The runs of an axis (points 1..n) in which the potential does not change direction:
// first..last, each run beginning on the last point of the one before (the vertex, the point
// furthest along the run; of a vertex repeated, its last copy). A potential that steps back by
// no more than noise [V] does not turn the sweep.
struct AxisSweep {
    int first, last;
};
std::vector<AxisSweep> sweepsOf(const std::vector<double> &axis, double noise);

// The cycles of an axis (points 1..n), as a potentiostat counts them: a cycle ends where the
// potential, after both vertices, comes back to the first point's potential (to noise [V])
// running the way the first sweep ran; the next cycle starts on that point. What follows the
// last such return belongs to the last cycle (a last sweep to E final); an axis that never
// returns is one cycle.
std::vector<AxisSweep> cyclesOf(const std::vector<double> &axis, double noise);

} // namespace kemvo
