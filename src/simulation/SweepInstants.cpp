#include "simulation/SweepInstants.h"

#include <algorithm>

namespace kemvo {

SweepInstants sweepInstants(const PointArray &potential, int n) {
    SweepInstants instants;
    instants.instantOf.assign(static_cast<std::size_t>(std::max(n, 0)) + 1, 0);
    for (int i = 1; i <= n; ++i) {
        if (i == 1 || potential(i) != potential(i - 1))
            ++instants.count;
        instants.instantOf[static_cast<std::size_t>(i)] = instants.count - 1;
    }
    return instants;
}

} // namespace kemvo
