#include "analysis/CurveSweeps.h"

#include "numerics/Sweeps.h"

#include <algorithm>
#include <cmath>

namespace kemvo {

std::vector<CurveSweep> curveSweeps(const CurveStore &store, int a, int b) {
    std::vector<CurveSweep> sweeps;
    if (b <= a)
        return sweeps;
    std::vector<double> axis;
    std::vector<double> steps;
    for (int i = a; i <= b; ++i) {
        axis.push_back(store.potential(i));
        if (i > a && store.potential(i) != store.potential(i - 1))
            steps.push_back(std::fabs(store.potential(i) - store.potential(i - 1)));
    }
    double step = 0;
    if (!steps.empty()) {
        auto middle = steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2);
        std::nth_element(steps.begin(), middle, steps.end());
        step = *middle;
    }
    int first = a;
    for (const AxisSweep &run : sweepsOf(axis, 0.5 * step)) {
        int last = run.last + a - 1;
        // Of a repeated vertex, the first copy is the switching point.
        while (last < b && last > first + 1 && store.potential(last - 1) == store.potential(last))
            --last;
        const double change = store.potential(last) - store.potential(first);
        sweeps.push_back({first, last, change > 0 ? 1 : -1});
        first = last;
    }
    return sweeps;
}

double SweepData::tauAt(double e) const {
    if (E.empty())
        return 0;
    return tau.front() + std::fabs(e - E.front());
}

} // namespace kemvo
