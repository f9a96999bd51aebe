#pragma once
// A simulated curve read at the potentials of a measured one. An instrument records a cycle
// without repeating its vertex and on its own grid, while the programme of the parameters
// window repeats the vertex on a uniform staircase; the two are compared sweep by sweep, each
// measured potential read from the simulated curve by linear interpolation within the
// programme's sweep of the same order.

#include "numerics/Sweeps.h"
#include "shell/CurveStore.h"
#include "shell/ExperimentState.h"

#include <optional>
#include <vector>

namespace kemvo {

// How far [V] a measured potential may wander from the programme and still be read: half its
// step.
double measuredAxisTolerance(const ExperimentState &state);

class MeasuredAxisMap {
public:
    // measured [V]: points 1..n of the measured curve; programme [V]: points 1..m of the
    // simulation; tolerance [V]: how far a measured potential may lie beyond the ends of its
    // sweep and still be read there, and step back within a sweep without turning it (an
    // instrument's measured potential wanders by a little).
    // Empty when the measured curve has more sweeps than the programme or a potential that its
    // programme sweep does not reach.
    static std::optional<MeasuredAxisMap> build(const std::vector<double> &measured,
                                                const std::vector<double> &programme,
                                                double tolerance);

    std::size_t size() const { return lower_.size(); }

    // Point i (1-based) of the measured axis read from a simulated column: at(j) gives the
    // column at programme point j.
    template <class Column> double read(std::size_t i, Column &&at) const {
        const int j = lower_[i - 1];
        const double w = weight_[i - 1];
        return w == 0 ? at(j) : at(j) + w * (at(j + 1) - at(j));
    }

private:
    std::vector<int> lower_;     // the programme point at or below the measured potential
    std::vector<double> weight_; // its share towards the next programme point, 0..1
};

// Points 1..count of the store's potential axis [V].
std::vector<double> potentialsOf(const CurveStore &store, int count);

// Whether point i of the programme is point i of the measured curve, for every point, to half
// a step [V]: then the simulation is compared as it comes, without interpolation.
bool sameAxis(const std::vector<double> &measured, const std::vector<double> &programme,
              double eStep);

// Every column of the simulation (points 1..m of from) written at the measured points 1..n of
// to: the measured potentials, the curve k, each step's current and surface concentration and,
// when surfaceCurves, the curves 1..speciesCount.
void storeOnMeasuredAxis(const ExperimentState &state, const CurveStore &from, CurveStore &to,
                         const MeasuredAxisMap &map, const std::vector<double> &measured,
                         bool surfaceCurves);

// The state describes the measured axis the curves were written on: its points and, so that
// Find Peak splits the cycle where the measured potential turns, the last point of its first
// sweep.
void describeMeasuredAxis(ExperimentState &state, const std::vector<double> &measured);

} // namespace kemvo
