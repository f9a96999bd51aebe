#pragma once
// What an instrument's export holds once it is read: the curves (cycles, segments, scans) as
// potential and current in working units, the technique it names and its sign convention.

#include <optional>
#include <string>
#include <vector>

namespace kemvo {

struct MeasuredCurve {
    std::string label;              // "cycle 2", "segment 3", "CURVE4", "Scan 1"
    std::vector<double> potential;  // [V]
    std::vector<double> current;    // [A] with the file's own sign
    std::optional<double> scanRate; // [V/s] where the file states it or its time axis gives it
    // [V/s] dE/dt on the file's time axis (median over sweeps) where the file also states a
    // rate, so that the import can check the one against the other.
    std::optional<double> timeRate{};
    // [s] the time of each point where the file has a time column, else empty: it shows a
    // hold at the start or at a turning point that the potentials alone cannot.
    std::vector<double> time{};
};

struct MeasuredFile {
    std::string format;    // "EC-Lab", "CH Instruments", ...
    std::string technique; // as the file names it; empty where the format states none
    std::vector<MeasuredCurve> curves;
    // The software's convention as far as it is known: reduction (cathodic) current positive.
    // Informative only: real exports differ from their software's documented convention, so
    // the import never reverses a sign unless the user asks.
    bool reductionPositive = false;
    // Curves past the most a file may offer (kMaxCurves), whose rows were read and left out.
    std::size_t omittedCurves = 0;
    // Curves of fewer than two distinct potentials (a one-row scan), left out with a word.
    std::size_t droppedCurves = 0;
    // What the header states of the programme, where it does.
    std::optional<double> initialPotential{}; // [V] E initial
    std::optional<double> quietTime{};        // [s] hold at E initial before the scan
    // The curves follow each other in time (cycles, scans), so they may be taken as one.
    bool concatenable = true;
    std::string source{}; // the file's name without its folder, which names a curve of no label
};

} // namespace kemvo
