#include "files/ImportProgramme.h"

#include "files/TextTable.h"
#include "files/TimeAxis.h"
#include "numerics/Sweeps.h"
#include "shell/NumberText.h"
#include "shell/RuntimeError.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kemvo {
namespace {

// The median of the non-zero spacings: a measured axis repeats points at a vertex or holds a
// few irregular steps; the median is the staircase step.
double medianStep(const std::vector<double> &potential) {
    std::vector<double> steps;
    for (std::size_t i = 1; i < potential.size(); ++i)
        if (double step = std::fabs(potential[i] - potential[i - 1]); step > 0)
            steps.push_back(step);
    if (steps.empty())
        throw RuntimeError("at least two distinct potentials are needed");
    auto middle = steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2);
    std::nth_element(steps.begin(), middle, steps.end());
    return *middle;
}

std::string ordinal(std::size_t n) {
    std::size_t lastTwo = n % 100;
    const char *suffix = "th";
    if (lastTwo < 11 || lastTwo > 13)
        suffix = n % 10 == 1 ? "st" : n % 10 == 2 ? "nd" : n % 10 == 3 ? "rd" : "th";
    return std::to_string(n) + suffix;
}

} // namespace

double meantStep(double difference) {
    double step = checkedFinite(std::fabs(difference));
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", step);
    return std::strtod(text, nullptr);
}

namespace {

constexpr int kMostDecimals = 12;
constexpr int kScanRateFigures = 4;

double roundedToDecimals(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale + 0.0; // -0 (a file's "-0.0000") reads 0
}

double significantFigures(double value, int figures) {
    if (value == 0 || !std::isfinite(value))
        return value;
    const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    const double scale = std::pow(10.0, figures - 1 - exponent);
    return std::round(value * scale) / scale;
}

} // namespace

int potentialDecimals(const std::vector<double> &potential) {
    for (int d = 0; d < kMostDecimals; ++d) {
        const double scale = std::pow(10.0, d);
        const bool whole = std::all_of(potential.begin(), potential.end(), [scale](double e) {
            const double scaled = e * scale;
            return std::fabs(scaled - std::round(scaled)) <=
                   1e-11 * std::fmax(1, std::fabs(scaled));
        });
        if (whole)
            return d;
    }
    return kMostDecimals;
}

SweepProgramme roundedProgramme(SweepProgramme programme, int decimals) {
    programme.eStart = roundedToDecimals(programme.eStart, decimals);
    programme.eEnd = roundedToDecimals(programme.eEnd, decimals);
    programme.eVertex2 = roundedToDecimals(programme.eVertex2, decimals);
    programme.eFinal = roundedToDecimals(programme.eFinal, decimals);
    const double step = roundedToDecimals(programme.eStep, decimals);
    programme.eStep = step > 0 ? step : significantFigures(programme.eStep, kScanRateFigures);
    if (programme.scanRate)
        programme.scanRate = significantFigures(*programme.scanRate, kScanRateFigures);
    return programme;
}

bool hasTwoDistinctPotentials(const std::vector<double> &potential) {
    return std::any_of(potential.begin(), potential.end(),
                       [&potential](double e) { return e != potential.front(); });
}

namespace {

// Whole steps from a to b, rounded half to even as the programme rounds them.
double stepsBetween(double a, double b, double step) {
    return std::nearbyint(std::fabs(b - a) / step);
}

// The place of a potential on the staircase from E start, in signed whole steps.
double staircaseIndex(const SweepProgramme &p, double v) {
    return (v > p.eStart ? 1 : -1) * stepsBetween(p.eStart, v, p.eStep);
}

// The turning points of the programme, E start first.
std::vector<double> turningPotentials(const SweepProgramme &p) {
    std::vector<double> turns{p.eStart};
    const int vertices = std::max(1, static_cast<int>(std::nearbyint(2 * p.cycles)));
    for (int v = 1; v <= vertices; ++v)
        turns.push_back(v % 2 == 1 ? p.eEnd : p.eVertex2);
    if (p.cycles >= 1 && staircaseIndex(p, turns.back()) != staircaseIndex(p, p.eFinal))
        turns.push_back(p.eFinal);
    return turns;
}

ScanChoice scanOf(double cycles) {
    return cycles == 0.5 ? ScanChoice::Single
           : cycles == 1 ? ScanChoice::Cycle
           : cycles == 2 ? ScanChoice::TwoCycles
                         : ScanChoice::Cycles;
}

} // namespace

std::size_t pointsBeforeTheScan(const std::vector<double> &potential) {
    if (potential.size() < 4 || !hasTwoDistinctPotentials(potential))
        return 0;
    const double step = medianStep(potential);
    std::size_t skipped = 0;
    while (skipped + 3 < potential.size() &&
           std::fabs(potential[skipped + 1] - potential[skipped]) > 3 * step)
        ++skipped;
    return skipped;
}

double programmePoints(const SweepProgramme &programme) {
    const std::vector<double> turns = turningPotentials(programme);
    double points = 0;
    for (std::size_t s = 1; s < turns.size(); ++s)
        points += std::fabs(staircaseIndex(programme, turns[s]) -
                            staircaseIndex(programme, turns[s - 1])) +
                  1;
    return points;
}

SweepProgramme programmeOf(const MeasuredCurve &curve) {
    const std::vector<double> &e = curve.potential;
    auto [low, high] = std::minmax_element(e.begin(), e.end());
    if (!std::isfinite(*high - *low))
        throw RuntimeError("the potentials run from " + generalNumber(*low) + " to " +
                           generalNumber(*high) +
                           " V, farther apart than any number can say: no potential programme "
                           "spans them");
    SweepProgramme programme;
    programme.eStep = meantStep(medianStep(e));
    const std::vector<AxisSweep> sweeps = sweepsOf(e, 0.5 * programme.eStep);
    auto at = [&e](int i) { return e[static_cast<std::size_t>(i - 1)]; };
    programme.sweeps = sweeps.size();
    programme.eStart = e.front();
    programme.eEnd = at(sweeps.front().last);
    programme.eVertex2 = programme.eStart;
    programme.eFinal = programme.eStart;
    const std::size_t m = sweeps.size();
    if (m >= 2) {
        programme.eVertex2 = at(sweeps[1].last);
        // The last point continues the alternation of the vertices, or it is E final.
        const double expected = m % 2 == 1 ? programme.eEnd : programme.eVertex2;
        const bool lastIsVertex = std::fabs(e.back() - expected) <= 2 * programme.eStep;
        programme.cycles = static_cast<double>(lastIsVertex ? m : m - 1) / 2;
        programme.eFinal = lastIsVertex ? expected : e.back();
    }
    programme.scan = scanOf(programme.cycles);
    // A measured axis lists each vertex once, the programme twice; a vertex held (the first and
    // the last point of its hold kept) is listed twice already.
    std::size_t twice = 0;
    for (std::size_t k = 0; k + 1 < m; ++k) {
        const int v = sweeps[k].last;
        const bool again = static_cast<std::size_t>(v) < e.size() &&
                           std::fabs(at(v + 1) - at(v)) <= 0.5 * programme.eStep;
        const bool before = v > 1 && std::fabs(at(v - 1) - at(v)) <= 0.5 * programme.eStep;
        twice += again || before ? 1 : 0;
    }
    const double measuredPoints = static_cast<double>(e.size() + m - 1 - twice);
    if (programmePoints(programme) != measuredPoints && e.size() > m) {
        double path = 0;
        for (const AxisSweep &sweep : sweeps)
            path += std::fabs(at(sweep.last) - at(sweep.first));
        const double mean = meantStep(path / static_cast<double>(e.size() - 1));
        SweepProgramme trial = programme;
        trial.eStep = mean;
        if (std::fabs(programmePoints(trial) - measuredPoints) <
            std::fabs(programmePoints(programme) - measuredPoints)) {
            programme.eStep = mean;
            programme.meanStep = true;
        }
    }
    programme.scanRate = curve.scanRate;
    // dE/dt of this very curve where it has its time column; a rate the file states is in
    // timeRate's company (the reader set timeRate beside it).
    const bool stated = curve.timeRate.has_value();
    std::optional<double> measured = curve.timeRate;
    if (auto rate = scanRateFromTime(e, curve.time))
        measured = rate;
    if (!stated && measured)
        programme.scanRate = measured;
    // A stated rate that the time axis contradicts by more than 5 % gives way to dE/dt.
    if (stated && measured &&
        (!curve.scanRate ||
         std::fabs(*curve.scanRate - *measured) > kScanRateTolerance * *measured)) {
        programme.statedRate = curve.scanRate;
        programme.scanRate = measured;
    }
    return programme;
}

namespace {

// The points a sweep of `length` points keeps with every k-th point from its first, and its
// last point when that is a vertex (another sweep follows).
std::size_t keptOfSweep(std::size_t length, std::size_t every, bool endsAtVertex) {
    if (length == 0)
        return 0;
    bool lastAdded = endsAtVertex && (length - 1) % every != 0;
    return (length - 1) / every + 1 + (lastAdded ? 1 : 0);
}

std::size_t keptOfCurve(const std::vector<std::size_t> &lengths, std::size_t every) {
    std::size_t kept = 0;
    for (std::size_t s = 0; s < lengths.size(); ++s)
        kept += keptOfSweep(lengths[s], every, s + 1 < lengths.size());
    return kept;
}

} // namespace

MeasuredCurve thinned(const MeasuredCurve &curve, std::size_t limit, std::size_t &every) {
    const std::size_t total = curve.potential.size();
    every = 1;
    if (total <= limit)
        return curve;
    std::vector<std::size_t> starts = sweepStarts(curve.potential);
    starts.push_back(total);
    std::vector<std::size_t> lengths;
    for (std::size_t s = 0; s + 1 < starts.size(); ++s)
        lengths.push_back(starts[s + 1] - starts[s]);
    // The kept count falls as k grows; the smallest k within the limit, by bisection.
    std::size_t low = 1;
    std::size_t high = total;
    if (keptOfCurve(lengths, high) > limit)
        low = high = 0;
    while (low != 0 && high - low > 1) {
        std::size_t middle = low + (high - low) / 2;
        (keptOfCurve(lengths, middle) <= limit ? high : low) = middle;
    }
    every = high;
    bool sweepsKept = every != 0;
    for (std::size_t s = 0; s < lengths.size() && sweepsKept; ++s)
        sweepsKept = keptOfSweep(lengths[s], every, s + 1 < lengths.size()) >=
                     std::min(lengths[s], kThinnedSweepPoints);
    if (!sweepsKept)
        throw RuntimeError("the curve holds " + std::to_string(total) + " points in " +
                           std::to_string(lengths.size()) + " sweeps; thinned to " +
                           std::to_string(limit) + " points a sweep would keep fewer than " +
                           std::to_string(kThinnedSweepPoints) +
                           " points, so that its peaks would be lost. Choose one cycle or a "
                           "few of them instead");
    MeasuredCurve kept{curve.label, {}, {}, curve.scanRate, curve.timeRate};
    for (std::size_t s = 0; s + 1 < starts.size(); ++s)
        for (std::size_t i = starts[s]; i < starts[s + 1]; ++i)
            if ((i - starts[s]) % every == 0 || (i + 1 == starts[s + 1] && i + 1 < total)) {
                kept.potential.push_back(curve.potential[i]);
                kept.current.push_back(curve.current[i]);
            }
    return kept;
}

std::string thinningNote(std::size_t total, std::size_t kept, std::size_t every,
                         std::size_t sweeps) {
    return std::to_string(total) + " points thinned to " + std::to_string(kept) + ", every " +
           ordinal(every) + " kept" + (sweeps > 1 ? " in each sweep, and every vertex" : "");
}

std::size_t sweepCount(const std::vector<double> &potential) {
    return sweepStarts(potential).size();
}

} // namespace kemvo
