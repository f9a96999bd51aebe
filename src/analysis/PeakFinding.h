#pragma once
// "&Find Peak": the peaks of the displayed quantity of every curve in the store, each with its
// current from the chemist's baseline, for every full cycle the separation and the ratios of
// the peaks, and the peak area, printed on the result window.

#include "analysis/PeakBaseline.h"
#include "analysis/PeakSearch.h"
#include "shell/CurveStore.h"
#include "shell/ExperimentState.h"

#include <optional>
#include <string>
#include <vector>

namespace kemvo {

class Application;

inline constexpr int kMostPeaksShown = 20;

struct Peak {
    double potential; // [V] Ep
    double value;     // Ip, the displayed value at the peak, signed
    // Ip less the baseline under it at Ep, signed like Ip; none, with the reason, when there is
    // no baseline.
    std::optional<double> fromBaseline;
    std::string noBaseline;
};

// One full cycle: a sweep and the sweep back, each with exactly one peak.
struct CyclePeaks {
    int forward = 0;       // the number of the forward peak in the curve's list, from 1
    int reverse = 0;       // the number of the reverse peak
    double separation = 0; // [V] Ep(reverse) - Ep(forward)
    // |Ip (baseline) reverse / Ip (baseline) forward|; none when either has no baseline.
    std::optional<double> baselineRatio;
    // |Ip rev / Ip fwd| + 0.485 |y(switching) / Ip fwd| + 0.086 (Nicholson, Anal. Chem. 38
    // (1966) 1406: the reverse peak measured from zero corrected for the decay of the forward
    // current by the current at the switching point).
    double nicholsonRatio = 0;
};

struct CurvePeaks {
    std::vector<Peak> peaks;    // in scan order, at most kMostPeaksShown
    bool moreThanShown = false; // further peaks were found
    std::vector<CyclePeaks> cycles;
    double noise = 0;  // the deviation of the noise measured on the curve
    int smoothing = 0; // points of the smoothing window; 0 when the curve was not smoothed
    // Single sweep: dE sum |y|; cyclic: dE times the sum over the sweeps of their signed sums,
    // those of the forward direction counted positive, those back negative (each switching
    // point counted in both its sweeps).
    double area = 0;
};

// The peaks of curve `curve`, forward peaks measured from the typed baseline range when there
// is one, otherwise from the flattest stretch of their foot.
CurvePeaks findPeaks(const CurveStore &store, int curve, const PeakSearch &search,
                     const std::optional<BaselineRange> &typed = std::nullopt);

// The typed "Baseline from E ... to E ..." of the plot options window, none while its
// automatic box is ticked; a text that is not a number raises RuntimeError naming the box.
std::optional<BaselineRange> typedBaselineRange(Application &app);

// Shows FormResult (not cleared) and appends the report of curves 1..curveCount.
void FindPeak(Application &app, int a, int b);

} // namespace kemvo
