#include "numerics/Sweeps.h"

#include <cmath>

namespace kemvo {
namespace {

int directionOf(double difference) {
    return difference > 0 ? 1 : difference < 0 ? -1 : 0;
}

double at1(const std::vector<double> &axis, int i) {
    return axis[static_cast<std::size_t>(i - 1)];
}

} // namespace

std::vector<AxisSweep> sweepsOf(const std::vector<double> &axis, double noise) {
    const int n = static_cast<int>(axis.size());
    std::vector<AxisSweep> sweeps{{1, n}};
    int direction = 0;
    int extreme = 1; // the point furthest along the sweep so far
    for (int i = 2; i <= n; ++i) {
        const double potential = at1(axis, i);
        if (direction == 0) {
            // The direction is the first departure from the start by more than the noise.
            if (std::fabs(potential - at1(axis, 1)) > noise) {
                direction = directionOf(potential - at1(axis, 1));
                extreme = i;
            }
        } else if ((potential - at1(axis, extreme)) * direction >= 0) {
            extreme = i; // a repeated vertex ends the sweep on its second point
        } else if ((at1(axis, extreme) - potential) * direction > noise) {
            sweeps.back().last = extreme;
            sweeps.push_back({extreme, n});
            direction = -direction;
            extreme = i;
        }
    }
    return sweeps;
}

std::vector<AxisSweep> cyclesOf(const std::vector<double> &axis, double noise) {
    const int n = static_cast<int>(axis.size());
    const std::vector<AxisSweep> sweeps = sweepsOf(axis, noise);
    std::vector<AxisSweep> cycles{{1, n}};
    if (n < 2 || sweeps.size() < 3)
        return cycles;
    const double start = at1(axis, 1);
    const int direction = directionOf(at1(axis, sweeps[0].last) - start);
    for (std::size_t s = 2; s < sweeps.size(); s += 2)
        for (int i = sweeps[s].first; i <= sweeps[s].last; ++i)
            if ((at1(axis, i) - start) * direction >= -noise) {
                if (i < n && i > cycles.back().first) {
                    cycles.back().last = i;
                    cycles.push_back({i, n});
                }
                break;
            }
    return cycles;
}

} // namespace kemvo
