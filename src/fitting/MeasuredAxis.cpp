#include "fitting/MeasuredAxis.h"

#include <cmath>

namespace kemvo {
namespace {

double at1(const std::vector<double> &axis, int i) {
    return axis[static_cast<std::size_t>(i - 1)];
}

// The segment j..j+1 of a sweep that holds the potential, as the programme point j and the
// share towards j+1; beyond the sweep's ends by at most tolerance, its nearest point (the
// first of a repeated vertex).
std::optional<std::pair<int, double>> locate(const std::vector<double> &axis, AxisSweep sweep,
                                             double potential, double tolerance) {
    for (int j = sweep.first; j < sweep.last; ++j) {
        const double a = at1(axis, j), b = at1(axis, j + 1);
        if (a == b)
            continue; // a repeated vertex
        if ((potential - a) * (potential - b) <= 0)
            return std::pair{j, (potential - a) / (b - a)};
    }
    double nearest = tolerance;
    std::optional<std::pair<int, double>> end;
    for (int j = sweep.first; j <= sweep.last; ++j) {
        const double distance = std::fabs(potential - at1(axis, j));
        if (distance < nearest || (!end && distance == nearest)) {
            nearest = distance;
            end = std::pair{j, 0.0};
        }
    }
    return end;
}

} // namespace

double measuredAxisTolerance(const ExperimentState &state) {
    return 0.5 * std::fabs(state.eStep);
}

std::optional<MeasuredAxisMap> MeasuredAxisMap::build(const std::vector<double> &measured,
                                                      const std::vector<double> &programme,
                                                      double tolerance) {
    const std::vector<AxisSweep> measuredSweeps = sweepsOf(measured, tolerance);
    const std::vector<AxisSweep> programmeSweeps = sweepsOf(programme, 0);
    if (measured.empty() || measuredSweeps.size() > programmeSweeps.size())
        return std::nullopt;
    MeasuredAxisMap map;
    map.lower_.reserve(measured.size());
    map.weight_.reserve(measured.size());
    for (std::size_t s = 0; s < measuredSweeps.size(); ++s) {
        // The vertex closes the sweep before and is read there.
        const int first = s == 0 ? 1 : measuredSweeps[s].first + 1;
        for (int i = first; i <= measuredSweeps[s].last; ++i) {
            auto found = locate(programme, programmeSweeps[s], at1(measured, i), tolerance);
            if (!found)
                return std::nullopt;
            map.lower_.push_back(found->first);
            map.weight_.push_back(found->second);
        }
    }
    return map;
}

std::vector<double> potentialsOf(const CurveStore &store, int count) {
    std::vector<double> axis;
    axis.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 1; i <= count; ++i)
        axis.push_back(store.potential(i));
    return axis;
}

bool sameAxis(const std::vector<double> &measured, const std::vector<double> &programme,
              double eStep) {
    if (measured.size() != programme.size())
        return false;
    for (std::size_t i = 0; i < measured.size(); ++i)
        if (!(std::fabs(programme[i] - measured[i]) <= 0.5 * eStep))
            return false;
    return true;
}

void storeOnMeasuredAxis(const ExperimentState &state, const CurveStore &from, CurveStore &to,
                         const MeasuredAxisMap &map, const std::vector<double> &measured,
                         bool surfaceCurves) {
    for (std::size_t i = 1; i <= map.size(); ++i) {
        const int point = static_cast<int>(i);
        to.potential(point) = measured[i - 1];
        for (int k = 0; k < decltype(from.reactionCurrent)::kColumns; ++k) {
            to.reactionCurrent(point, k) =
                map.read(i, [&](int j) { return from.reactionCurrent(j, k); });
            to.surfaceConc(point, k) = map.read(i, [&](int j) { return from.surfaceConc(j, k); });
        }
        to.curves(point, state.currentCurve) =
            map.read(i, [&](int j) { return from.curves(j, state.currentCurve); });
        for (int k = 1; surfaceCurves && k <= state.speciesCount; ++k)
            to.curves(point, k) = map.read(i, [&](int j) { return from.curves(j, k); });
    }
}

void describeMeasuredAxis(ExperimentState &state, const std::vector<double> &measured) {
    state.pointCount = static_cast<std::int32_t>(measured.size());
    state.firstPoint = 1;
    state.lastPoint = state.pointCount;
    const double noise = measuredAxisTolerance(state);
    state.pointsPerSweep = static_cast<Int16>(sweepsOf(measured, noise).front().last);
}

} // namespace kemvo
