#pragma once
// What an imported curve says about the potential programme that recorded it, and the thinning
// of a curve longer than the curve store holds.

#include "files/MeasuredCurve.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kemvo {

// The parameters window's scan choice: option9 "Single", option10 "Cycle", Option11 "2 Cycles",
// Option12 "Cycles:" with the count in TextCycles.
enum class ScanChoice { Single, Cycle, TwoCycles, Cycles };

// The programme a potentiostat ran, as the parameters window states it:
// E start -> E end -> E vertex 2 -> E end ... -> E final.
struct SweepProgramme {
    double eStart = 0;   // [V] the first potential
    double eEnd = 0;     // [V] the first vertex (the end of a single sweep)
    double eVertex2 = 0; // [V] the second vertex; eStart for a single sweep
    double eFinal = 0;   // [V] the last potential; eStart for a single sweep
    double eStep = 0;    // [V] the staircase step
    double cycles = 0.5; // two vertices to a cycle
    ScanChoice scan = ScanChoice::Single;
    std::optional<double> scanRate; // [V/s]
    std::size_t sweeps = 1;         // sweeps (turning point to turning point) of the curve
    bool meanStep = false;          // the step is the mean that reproduces the point count
    // The file's stated rate where the time axis contradicts it: scanRate is then dE/dt.
    std::optional<double> statedRate;
};

// How far a stated scan rate may stray from the dE/dt of the time axis.
inline constexpr double kScanRateTolerance = 0.05;

// The programme of a potential axis with at least two distinct potentials: its turning points
// found to half a step (a jitter of a fraction of a step and a repeated vertex do not turn it),
// the vertices alternating between the first two, the last point E final where it does not
// continue them. E step is the median spacing; where that does not give the curve's number of
// points (the alternating steps of a DAC grid), the mean spacing that does. Potentials whose
// span is beyond a double (-1.79e308 to 1.79e308 V) raise RuntimeError naming them.
SweepProgramme programmeOf(const MeasuredCurve &curve);

// The points before the steady scan: a start-up or settling point that lies more than three
// staircase steps from the point after it (0.399 V where the scan starts at 0.700 V). 0 when
// the curve starts on its scan.
std::size_t pointsBeforeTheScan(const std::vector<double> &potential);

// The points of the programme of the parameters window for this programme (each turning point
// listed twice), as the simulation builds it.
double programmePoints(const SweepProgramme &programme);

// The absolute step of a potential difference as it was meant: to 15 significant digits, as a
// double's general format shows it, 0.3 - 0.295 reads 0.005, not 0.0050000000000000044.
double meantStep(double difference);

// The decimal places the potentials are written to: the least d (0..12) at which each is a
// whole multiple of 10^-d, up to the rounding of a double read from text or converted from mV.
int potentialDecimals(const std::vector<double> &potential);

// The programme as the measured data can state it: E start, E end, E vertex 2, E final and
// E step rounded to
// `decimals` places (a step finer than that keeps four significant figures), v to four
// significant figures. These are the values the parameters window shows and the state takes.
SweepProgramme roundedProgramme(SweepProgramme programme, int decimals);

// The fewest points a sweep keeps when a curve is thinned (all of a shorter sweep).
inline constexpr std::size_t kThinnedSweepPoints = 20;

// A curve of more than limit points is thinned sweep by sweep: each sweep keeps its first point,
// every k-th point after it and its last point where that is a vertex (so every vertex
// survives, and a single sweep keeps every k-th point from its start), k the smallest that
// brings the curve within the limit; `every` receives k (1 when nothing was dropped). Raises
// RuntimeError saying why when the limit would leave a sweep fewer than kThinnedSweepPoints
// points (or all of a shorter one): a file of many cycles must be taken a cycle at a time.
MeasuredCurve thinned(const MeasuredCurve &curve, std::size_t limit, std::size_t &every);

// "12000 points thinned to 4000, every 3rd kept" (with " in each sweep, and every vertex" when
// the curve has several sweeps).
std::string thinningNote(std::size_t total, std::size_t kept, std::size_t every,
                         std::size_t sweeps = 1);

// The number of sweeps of a potential axis (1 for an axis without a vertex).
std::size_t sweepCount(const std::vector<double> &potential);

// Whether the potentials hold at least two distinct values.
bool hasTwoDistinctPotentials(const std::vector<double> &potential);

} // namespace kemvo
