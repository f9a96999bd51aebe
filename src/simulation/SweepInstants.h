#pragma once

#include "shell/CurveStore.h"

#include <vector>

namespace kemvo {

// The instants of a sweep's points 1..n at a constant scan rate: each point is one potential
// step later than the one before, except that consecutive points of equal potential (the
// vertex of a cycle, listed twice) are the same instant.
struct SweepInstants {
    std::vector<int> instantOf; // instant (0, 1, ...) of each point 1..n; index 0 unused
    int count = 0;              // number of instants
};
SweepInstants sweepInstants(const PointArray &potential, int n);

} // namespace kemvo
