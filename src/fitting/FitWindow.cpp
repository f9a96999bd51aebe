#include "fitting/FitWindow.h"

#include "fitting/SimulationObjective.h"
#include "numerics/Sweeps.h"
#include "setup/FormExpr.h"
#include "shell/NumberText.h"

#include <algorithm>
#include <cmath>

namespace kemvo {
namespace {

bool blank(const std::string &text) {
    return text.find_first_not_of(" \t") == std::string::npos;
}

std::optional<double> potentialIn(const TextBox &box, const Label &caption) {
    if (blank(box.text()))
        return std::nullopt;
    if (!isNumber(box.text()))
        throw FitRefusal("Fit Error: " + caption.caption() +
                         " holds no number; leave it empty to fit every potential.");
    return strictValue(box.text());
}

std::optional<int> cycleIn(const TextBox &box, const Label &caption) {
    if (blank(box.text()))
        return std::nullopt;
    const double value = isNumber(box.text()) ? strictValue(box.text()) : 0;
    if (!(value >= 1) || std::nearbyint(value) != value || value > 1e6)
        throw FitRefusal("Fit Error: " + caption.caption() +
                         " must hold a cycle number, 1 or more; leave it empty for all cycles.");
    return static_cast<int>(value);
}

} // namespace

FitWindow readFitWindow(const FormExpr &form) {
    FitWindow window;
    window.from = potentialIn(form.TextFitFrom, form.LabelFitFrom);
    window.to = potentialIn(form.TextFitTo, form.LabelFitTo);
    window.firstCycle = cycleIn(form.TextFitCycleFrom, form.LabelFitCycleFrom);
    window.lastCycle = cycleIn(form.TextFitCycleTo, form.LabelFitCycleTo);
    return window;
}

std::vector<std::size_t> fitWindowPoints(const std::vector<double> &measured,
                                         const FitWindow &window, double noise) {
    std::vector<std::size_t> points;
    if (measured.empty())
        return points;
    const std::vector<AxisSweep> cycles = cyclesOf(measured, noise);
    const int count = static_cast<int>(cycles.size());
    const int first = window.firstCycle.value_or(1);
    const int last = window.lastCycle.value_or(count);
    if (first > count || last > count)
        throw FitRefusal("Fit Error: the measured curve has " + std::to_string(count) +
                         (count == 1 ? " cycle" : " cycles") + ", not cycle " +
                         std::to_string(std::max(first, last)) + ".");
    if (first > last)
        throw FitRefusal("Fit Error: the fit window's cycles run from " + std::to_string(first) +
                         " to " + std::to_string(last) + "; the first must not be above the last.");
    const double low = std::min(window.from.value_or(-HUGE_VAL), window.to.value_or(HUGE_VAL));
    const double high = std::max(window.from.value_or(-HUGE_VAL), window.to.value_or(HUGE_VAL));
    const int begin = cycles[static_cast<std::size_t>(first - 1)].first;
    const int end = cycles[static_cast<std::size_t>(last - 1)].last;
    for (int i = begin; i <= end; ++i) {
        const double e = measured[static_cast<std::size_t>(i - 1)];
        if (e >= low && e <= high)
            points.push_back(static_cast<std::size_t>(i - 1));
    }
    if (points.empty())
        throw FitRefusal("Fit Error: no point of the measured curve lies in the fit window.");
    return points;
}

std::string fitWindowLine(std::size_t fitted, std::size_t total, const FitWindow &window) {
    std::string line = "Points fitted = " + std::to_string(fitted) + " of " + std::to_string(total);
    if (!window.limited())
        return line;
    std::string limits;
    if (window.from || window.to) {
        const double a = window.from.value_or(window.to.value_or(0));
        const double b = window.to.value_or(window.from.value_or(0));
        limits = "from " + generalNumber(std::min(a, b)) + " V to " +
                 generalNumber(std::max(a, b)) + " V";
        if (!window.from || !window.to)
            limits = (window.from ? "from " : "to ") + generalNumber(a) + " V";
    }
    if (window.firstCycle || window.lastCycle) {
        if (!limits.empty())
            limits += ", ";
        limits += "cycles " + (window.firstCycle ? std::to_string(*window.firstCycle) : "1") +
                  " to " + (window.lastCycle ? std::to_string(*window.lastCycle) : "last");
    }
    return line + " (" + limits + ")";
}

} // namespace kemvo
