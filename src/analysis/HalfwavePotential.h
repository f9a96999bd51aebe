#pragma once
// "Find &Halfwave E": the height of a sigmoidal wave (a DC or steady-state voltammogram) and
// the potential where it reaches half that height, for every curve in the store.

#include "shell/CurveStore.h"

#include <optional>

namespace kemvo {

class Application;

struct HalfWave {
    // The curve has a peak (Find Peak's search finds one): the potential is then the half-peak
    // potential Ep/2 and the height the peak's above the lowest |y|.
    bool peaked = false;
    // [V] E(i) of the first point i whose |y(i)| - min|y| lies within +-5 % of half the height;
    // none when no point lies in that band (a crossing between two distant points).
    std::optional<double> potential;
    double height = 0; // Id = max|y| - min|y| over the whole curve
};

// Over points 1..n of curve `curve`, without interpolation. The band is as wide as the wave's
// slope allows: on a reversible wave the first point inside may lie 0.1/(nf) (2.6/n mV) from
// the half-height crossing.
HalfWave findHalfwave(const CurveStore &store, int curve, int n);

// Shows FormResult (not cleared) and appends one line per curve 1..curveCount, on the points
// 1..pointCount: "E1/2 = " and "Id = " for a wave, "Ep/2 = " and "Peak height = " for a
// peaked curve.
void FindHalfwaveE(Application &app);

} // namespace kemvo
