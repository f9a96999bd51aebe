#include "files/TimeAxis.h"

#include "files/ImportProgramme.h"
#include "numerics/Sweeps.h"

#include <algorithm>
#include <cmath>

namespace kemvo {
namespace {

// A sweep turns where the potential comes back by more than this share of its span, or half a
// step if that is more: the noise of a measured potential does not turn it.
constexpr double kTurnFraction = 0.02;
// Sweeps of fewer steps (a start-up jump, a stub to E final) count only where no other does.
constexpr std::size_t kShortSweepSteps = 3;

double median(std::vector<double> values) {
    auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// The staircase step: the median of the non-zero spacings.
double staircaseStep(const std::vector<double> &e) {
    std::vector<double> steps;
    for (std::size_t i = 1; i < e.size(); ++i)
        if (double step = std::fabs(e[i] - e[i - 1]); step > 0)
            steps.push_back(step);
    return steps.empty() ? 0 : median(steps);
}

double turnNoise(const std::vector<double> &e, double step) {
    auto [low, high] = std::minmax_element(e.begin(), e.end());
    return std::max(0.5 * step, kTurnFraction * (*high - *low));
}

// The time a step of the staircase takes: the median time between successive changes of the
// potential (by more than `tolerance`), whether the instrument writes one point a step or
// several; 0 where the time column gives none.
double stepDuration(const std::vector<double> &e, const std::vector<double> &time,
                    double tolerance) {
    std::vector<double> durations;
    std::optional<std::size_t> change;
    for (std::size_t i = 1; i < e.size(); ++i) {
        if (std::fabs(e[i] - e[i - 1]) <= tolerance)
            continue;
        if (change)
            if (double taken = time[i] - time[*change]; taken > 0 && std::isfinite(taken))
                durations.push_back(taken);
        change = i;
    }
    return durations.empty() ? 0 : median(durations);
}

} // namespace

std::optional<double> scanRateFromTime(const std::vector<double> &potential,
                                       const std::vector<double> &time) {
    if (time.size() != potential.size() || !hasTwoDistinctPotentials(potential))
        return std::nullopt;
    const auto skip = static_cast<std::ptrdiff_t>(pointsBeforeTheScan(potential));
    const std::vector<double> e(potential.begin() + skip, potential.end());
    const std::vector<double> t(time.begin() + skip, time.end());
    const double tolerance = 0.5 * staircaseStep(e);
    std::vector<double> rates;
    std::vector<double> shortRates;
    for (const AxisSweep &sweep : sweepsOf(e, turnNoise(e, 2 * tolerance))) {
        auto a = static_cast<std::size_t>(sweep.first - 1);
        auto b = static_cast<std::size_t>(sweep.last - 1);
        const double from = e[a];
        const double to = e[b];
        while (a < b && std::fabs(e[a + 1] - from) <= tolerance)
            ++a; // the last point of a hold at the sweep's start
        while (b > a && std::fabs(e[b - 1] - to) <= tolerance)
            --b; // the first point at its end
        const double taken = t[b] - t[a];
        const double rate = std::fabs(e[b] - e[a]) / taken;
        if (b > a && taken > 0 && std::isfinite(rate) && rate > 0)
            (b - a >= kShortSweepSteps ? rates : shortRates).push_back(rate);
    }
    if (rates.empty())
        rates = std::move(shortRates);
    if (rates.empty())
        return std::nullopt;
    return median(std::move(rates));
}

CurveHolds holdsOf(const std::vector<double> &potential, const std::vector<double> &time) {
    CurveHolds holds;
    const std::size_t n = potential.size();
    if (time.size() != n || n < 3 || !hasTwoDistinctPotentials(potential))
        return holds;
    const double step = staircaseStep(potential);
    const double tolerance = 0.5 * step;
    const double dt = stepDuration(potential, time, tolerance);
    if (!(dt > 0))
        return holds;
    holds.stepTime = dt;
    // The stay around point v at its potential.
    auto stayAround = [&](std::size_t v) {
        TimeHold stay{v, v, 0, potential[v]};
        while (stay.first > 0 && std::fabs(potential[stay.first - 1] - potential[v]) <= tolerance)
            --stay.first;
        while (stay.last + 1 < n && std::fabs(potential[stay.last + 1] - potential[v]) <= tolerance)
            ++stay.last;
        stay.seconds = time[stay.last] - time[stay.first];
        return stay;
    };
    auto isHold = [dt, n](const TimeHold &stay) {
        return stay.last + 1 < n && std::isfinite(stay.seconds) &&
               stay.seconds > kHoldTimeSteps * dt;
    };
    if (TimeHold start = stayAround(0); isHold(start))
        holds.atStart = start;
    const std::vector<AxisSweep> sweeps = sweepsOf(potential, turnNoise(potential, step));
    holds.turns = sweeps.empty() ? 0 : sweeps.size() - 1;
    for (std::size_t k = 0; k + 1 < sweeps.size(); ++k) {
        TimeHold turn = stayAround(static_cast<std::size_t>(sweeps[k].last - 1));
        const bool afterStart = !holds.atStart || turn.first > holds.atStart->last;
        const bool afterLast = holds.atTurns.empty() || turn.first > holds.atTurns.back().last;
        if (isHold(turn) && afterStart && afterLast)
            holds.atTurns.push_back(turn);
    }
    return holds;
}

std::optional<double> commonVertexHold(const CurveHolds &holds) {
    if (holds.turns == 0 || holds.atTurns.size() != holds.turns)
        return std::nullopt;
    double shortest = holds.atTurns.front().seconds;
    double longest = shortest;
    double sum = 0;
    for (const TimeHold &hold : holds.atTurns) {
        shortest = std::min(shortest, hold.seconds);
        longest = std::max(longest, hold.seconds);
        sum += hold.seconds;
    }
    if (!(longest - shortest <= holds.stepTime))
        return std::nullopt;
    return sum / static_cast<double>(holds.atTurns.size());
}

MeasuredCurve withoutHolds(const MeasuredCurve &curve, const CurveHolds &holds, bool keepTurnEnds) {
    std::vector<bool> dropped(curve.potential.size(), false);
    if (holds.atStart)
        for (std::size_t i = holds.atStart->first; i < holds.atStart->last; ++i)
            dropped[i] = true;
    for (const TimeHold &turn : holds.atTurns)
        for (std::size_t i = turn.first + 1; i <= turn.last; ++i)
            dropped[i] = !(keepTurnEnds && i == turn.last);
    MeasuredCurve kept{curve.label, {}, {}, curve.scanRate, curve.timeRate};
    const bool timed = curve.time.size() == curve.potential.size();
    for (std::size_t i = 0; i < curve.potential.size(); ++i) {
        if (dropped[i])
            continue;
        kept.potential.push_back(curve.potential[i]);
        kept.current.push_back(curve.current[i]);
        if (timed)
            kept.time.push_back(curve.time[i]);
    }
    return kept;
}

void stateScanRate(std::vector<MeasuredCurve> &curves, std::optional<double> stated) {
    if (!stated)
        return;
    for (MeasuredCurve &curve : curves) {
        if (!curve.time.empty())
            curve.timeRate = scanRateFromTime(curve.potential, curve.time);
        curve.scanRate = stated;
    }
}

} // namespace kemvo
