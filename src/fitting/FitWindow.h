#pragma once
// The fit window: which points of the measured curve the fit weighs. The user limits the
// potentials ("Fit from E ... to E ...") and the cycles (k to m, as a potentiostat counts them);
// the points outside carry no weight, so that the least square, the degrees of freedom and the
// standard errors count only the points inside.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kemvo {

class FormExpr;

struct FitWindow {
    std::optional<double> from;    // [V] one end of the potential range; none: no limit
    std::optional<double> to;      // [V] the other end
    std::optional<int> firstCycle; // 1-based; none: from the first
    std::optional<int> lastCycle;  // 1-based; none: to the last

    bool limited() const { return from || to || firstCycle || lastCycle; }
};

// The window as the parameters window's boxes TextFitFrom, TextFitTo, TextFitCycleFrom and
// TextFitCycleTo state it; an empty box sets no limit. Raises FitRefusal naming a box that holds
// no number, or a cycle that is not a whole number of 1 or more.
FitWindow readFitWindow(const FormExpr &form);

// The points (0-based, in order) of the measured axis that the window holds; noise [V] is how
// far a potential may step back without turning a sweep (half the staircase step). Raises
// FitRefusal when a cycle asked for is beyond the curve's, or when no point is left.
std::vector<std::size_t> fitWindowPoints(const std::vector<double> &measured,
                                         const FitWindow &window, double noise);

// "Points fitted = 812 of 2435 (from -0.2 V to 0.5 V, cycles 2 to 2)".
std::string fitWindowLine(std::size_t fitted, std::size_t total, const FitWindow &window);

} // namespace kemvo
