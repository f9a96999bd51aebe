#pragma once
// The peak search of one curve, made to survive noise: the noise measured from the curve, a
// smoothed copy searched for local extrema in the direction of each sweep's waves, each kept
// when it stands out from its surroundings by more than the threshold, and its potential and
// height read from the data as stored.

#include "analysis/CurveSweeps.h"
#include "shell/CurveStore.h"
#include "shell/ExperimentState.h"

#include <string>
#include <vector>

namespace kemvo {

// How the curves are searched, the same for every curve.
struct PeakSearch {
    int first = 0;            // a, the first point read
    int last = 0;             // b, the last point read
    double threshold = 0;     // 2 % of the span of the plot's y axis
    double potentialStep = 0; // [V] |E(a+1) - E(a)|, the width of a point in the area
    // The waves of a sweep towards positive potentials are maxima of y (oxidations, with the
    // sign the curve was scaled by), those of a sweep towards negative ones minima. Otherwise
    // (a pulse technique, another quantity, a derivative) each sweep's waves lie on the side of
    // its larger excursion from its median.
    bool wavesBySweepDirection = true;
    double sign = 1; // -1 when the curve was scaled by a negative factor
    // [V] the widest half-window of the smoothing, so that a wave is not smoothed away.
    double widestHalfWindow = 0.025;
};

// A peak of one curve.
struct FoundPeak {
    int sweep = 0;         // 0-based index of its sweep
    int point = 0;         // the point of the extremum of the smoothed copy (of the data when
                           // the curve is not smoothed)
    double potential = 0;  // [V] Ep
    double value = 0;      // Ip, signed as stored
    double prominence = 0; // how far it stands out from the lower of its two sides
};

struct CurveSearch {
    std::vector<SweepData> sweeps;
    // Deviation of the noise on the curve: the robust scale of the residuals of local
    // quartics through 7 points, pooled over the sweeps.
    double noise = 0;
    int halfWidth = 0; // of the smoothing window, points; 0 when the curve is not smoothed
    double cutoff = 0; // the prominence a peak needs: max(threshold, 5 noise)
    std::vector<FoundPeak> peaks; // in scan order
};

// The search of curve `curve` over points a..b: the threshold from the plot's y axis, the
// sweep sides from the technique, the displayed quantity and the curve's history.
PeakSearch peakSearchOf(const ExperimentState &state, const CurveStore &store, int a, int b,
                        const std::string &displayedQuantity, int curve);

// The peaks of curve `curve`. A peak is a local extremum of the smoothed copy in the
// direction of its sweep's waves, neither the first nor the last point of a sweep, whose
// prominence exceeds max(threshold, 5 noise); within the smoothing window only the higher of
// two survives. On a smoothed curve Ep and Ip are the vertex of a parabola through the stored
// points around the extremum, on an unsmoothed one the extreme point itself.
CurveSearch searchPeaks(const CurveStore &store, int curve, const PeakSearch &search);

} // namespace kemvo
