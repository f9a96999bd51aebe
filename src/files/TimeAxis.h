#pragma once
// What a file's time column says that its potentials cannot: the scan rate as it was run
// (dE/dt, robust to a start-up point and to holds) and where the potential was held, at the
// start (a quiet time) or at a turning point.

#include "files/MeasuredCurve.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace kemvo {

// The scan rate [V/s] of a curve with a time axis [s]: the median over its sweeps of the
// potential travelled over the time taken, each sweep counted from the last point of a hold at
// its start to the first point of its end, so that neither a hold nor a repeated vertex slows
// it; points before the steady scan (a start-up or settling point) are not counted, nor are
// sweeps of fewer than three steps while longer ones exist. Nothing where no sweep took time
// or the columns differ in length.
std::optional<double> scanRateFromTime(const std::vector<double> &potential,
                                       const std::vector<double> &time);

// The points i of a curve's axis first..last (0-based) that stay at one potential [V], to half
// a staircase step, for `seconds` [s].
struct TimeHold {
    std::size_t first = 0;
    std::size_t last = 0;
    double seconds = 0;
    double potential = 0;
};

// A stay at one potential is a hold when it lasts longer than this many of the scan's steps
// (the median time between changes of the potential): a vertex written twice a step apart (two
// steps where the time column is rounded), or the several points an instrument writes on each
// step, are no hold.
inline constexpr double kHoldTimeSteps = 2.5;

struct CurveHolds {
    std::optional<TimeHold> atStart;
    std::vector<TimeHold> atTurns; // in the order of the turning points
    std::size_t turns = 0;         // turning points of the curve, with a hold or without
    double stepTime = 0;           // [s] the scan's step (median time between changes)
};

// The holds a time column shows at the start of a curve and at its turning points. Nothing
// without a time column of the axis's length, or with fewer than three points.
CurveHolds holdsOf(const std::vector<double> &potential, const std::vector<double> &time);

// The hold [s] at every turning point where the curve has one at each and they agree to within
// a step time: their mean. Nothing otherwise (no turning point, one without a hold, or holds of
// different lengths).
std::optional<double> commonVertexHold(const CurveHolds &holds);

// The curve without the points of a hold but one: of a hold at the start its last point (the
// current as the scan begins), of a hold at a turning point its first (the potential turns
// there as the programme turns), so that the curve lists the points the programme simulates.
// With keepTurnEnds a hold at a turning point keeps its last point too: the two listings of
// the turning point in a programme that holds there.
MeasuredCurve withoutHolds(const MeasuredCurve &curve, const CurveHolds &holds,
                           bool keepTurnEnds = false);

// A file whose header states the scan rate: each curve with a rate from its time column keeps
// that as timeRate, to be checked against the stated one, which becomes its scanRate.
void stateScanRate(std::vector<MeasuredCurve> &curves, std::optional<double> stated);

} // namespace kemvo
