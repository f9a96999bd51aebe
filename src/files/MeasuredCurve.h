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
};

struct MeasuredFile {
    std::string format;    // "EC-Lab", "CH Instruments", ...
    std::string technique; // as the file names it; empty where the format states none
    std::vector<MeasuredCurve> curves;
    // Preset of CheckReverseSign: the file writes reduction (cathodic) current positive.
    bool reductionPositive = false;
    // Curves past the most a file may offer (kMaxCurves), whose rows were read and left out.
    std::size_t omittedCurves = 0;
    // The curves follow each other in time (cycles, scans), so they may be taken as one.
    bool concatenable = true;
    std::string source{}; // the file's name without its folder, which names a curve of no label
};

} // namespace kemvo
