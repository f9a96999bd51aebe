#include "shell/CurveScaling.h"

#include <algorithm>

namespace kemvo {
namespace {

// A simulation that failed for needing more than 4000 points leaves that larger count
// behind; the loop then ends at the arrays' last point.
int lastScaledPoint(const ExperimentState &state) {
    return std::min<int>(state.pointCount, kMaxPoints);
}

} // namespace

void scalePotential(Application &app, double factor) {
    CurveStore &store = app.store();
    for (int i = 1, last = lastScaledPoint(app.state()); i <= last; ++i)
        store.potential(i) *= factor;
    app.state().potentialFactor *= factor;
    app.refreshPlot();
}

void scaleCurrentCurve(Application &app, double factor) {
    CurveStore &store = app.store();
    int curve = app.state().currentCurve;
    for (int i = 1, last = lastScaledPoint(app.state()); i <= last; ++i)
        store.curves(i, curve) *= factor;
    if (curve >= 0 && curve < static_cast<int>(app.state().curveHistory.size()))
        app.state().curveHistory[static_cast<std::size_t>(curve)].factor *= factor;
    app.refreshPlot();
}

} // namespace kemvo
