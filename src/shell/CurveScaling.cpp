#include "shell/CurveScaling.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace kemvo {
namespace {

// A simulation that failed for needing more than 4000 points leaves that larger count
// behind; the loop then ends at the arrays' last point.
int lastScaledPoint(const ExperimentState &state) {
    return std::min<int>(state.pointCount, kMaxPoints);
}

// Why the scaled values cannot be taken, or empty when they can: an overflow, or a value that
// underflows to zero (or to a subnormal number that has lost its digits).
std::string lossIn(const std::vector<double> &before, const std::vector<double> &after) {
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (!std::isfinite(after[i]))
            return "the values would become too large to hold";
        if (before[i] != 0 && !std::isnormal(after[i]))
            return "the values would become too small to hold";
    }
    return "";
}

// Two potentials that differ must still differ: the plot and the analysis need an axis.
std::string collapseIn(const std::vector<double> &before, const std::vector<double> &after) {
    for (std::size_t i = 1; i < after.size(); ++i)
        if (before[i] != before[i - 1] && after[i] == after[i - 1])
            return "the potentials would no longer differ";
    return "";
}

// Scales the values and returns true, or shows why it cannot and changes nothing.
template <typename Read, typename Write>
bool scaleValues(Application &app, const char *prefix, double factor, bool isAxis, Read read,
                 Write write) {
    std::vector<double> before;
    for (int i = 1, last = lastScaledPoint(app.state()); i <= last; ++i)
        before.push_back(read(i));
    std::vector<double> after(before.size());
    std::transform(before.begin(), before.end(), after.begin(),
                   [factor](double value) { return value * factor; });
    std::string refusal = lossIn(before, after);
    if (refusal.empty() && isAxis)
        refusal = collapseIn(before, after);
    if (!refusal.empty()) {
        app.showMessage(std::string(prefix) + refusal + "; nothing was changed");
        return false;
    }
    for (std::size_t i = 0; i < after.size(); ++i)
        write(static_cast<int>(i) + 1, after[i]);
    return true;
}

} // namespace

void scalePotential(Application &app, double factor) {
    CurveStore &store = app.store();
    if (!scaleValues(
            app, "X Data Error: ", factor, true, [&store](int i) { return store.potential(i); },
            [&store](int i, double value) { store.potential(i) = value; }))
        return;
    app.state().potentialFactor *= factor;
    app.refreshPlot();
}

void scaleCurrentCurve(Application &app, double factor) {
    CurveStore &store = app.store();
    int curve = app.state().currentCurve;
    if (!scaleValues(
            app, "Y Data Error: ", factor, false,
            [&store, curve](int i) { return store.curves(i, curve); },
            [&store, curve](int i, double value) { store.curves(i, curve) = value; }))
        return;
    if (curve >= 0 && curve < static_cast<int>(app.state().curveHistory.size()))
        app.state().curveHistory[static_cast<std::size_t>(curve)].factor *= factor;
    app.refreshPlot();
}

} // namespace kemvo
