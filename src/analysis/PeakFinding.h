#pragma once
// "&Find Peak": the peaks of the displayed quantity of every curve in the store, with the peak
// ratio and separation of one full cycle of a cyclic scan and the peak area, printed on the
// result window.

#include "shell/CurveStore.h"
#include "shell/ExperimentState.h"

#include <optional>
#include <vector>

namespace kemvo {

class Application;

inline constexpr int kMostPeaksShown = 20;

// How the curves are searched, the same for every curve.
struct PeakSearch {
    int first = 0;            // a, the first point read
    int last = 0;             // b, the last point read
    int switching = 0;        // S, the switching point of a cyclic scan; 0 for a single sweep
    bool oneCycle = false;    // a cyclic voltammogram of exactly one cycle: the ratio applies
    double threshold = 0;     // 2 % of the span of the plot's y axis
    double potentialStep = 0; // [V] |E(a+1) - E(a)|, the width of a point in the area
};

struct Peak {
    double potential; // [V] Ep
    double value;     // Ip, the displayed value at the peak, signed
};

struct CurvePeaks {
    std::vector<Peak> peaks;    // in scan order, at most kMostPeaksShown
    bool moreThanShown = false; // further points passed the test
    // |Ip2/Ip1| + 0.485 |y(S)/Ip1| + 0.086 (Nicholson, Anal. Chem. 38 (1966) 1406: the reverse
    // peak measured from zero corrected for the decay of the forward current), for one cycle
    // with exactly two peaks.
    std::optional<double> ratio;
    std::optional<double> separation; // [V] Ep2 - Ep1
    // Single sweep: dE sum |y|; cyclic: dE (sum over a..S - sum over S..b) of the signed values.
    double area = 0;
};

// The search of the state's programme over points a..b. A switching point outside a..b (an
// imported curve after a cyclic simulation) or a programme never read (cycles 0) is searched as
// a single sweep.
PeakSearch peakSearchOf(const ExperimentState &state, const CurveStore &store, int a, int b);

// A point i is a peak on A = |y| when A(i-4) < A(i-2) < A(i-1) <= A(i) >= A(i+1) > A(i+2) >
// A(i+4) and A(i) > threshold; points within 4 of the ends or of the switching point are not
// tested.
CurvePeaks findPeaks(const CurveStore &store, int curve, const PeakSearch &search);

// Shows FormResult (not cleared) and appends the report of curves 1..curveCount.
void FindPeak(Application &app, int a, int b);

} // namespace kemvo
