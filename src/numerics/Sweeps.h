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

} // namespace kemvo
