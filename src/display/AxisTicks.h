#pragma once
// The ticks of a plot axis: whole multiples of a "nice" step (1, 2 or 5 times a power of ten),
// their labels rounded to the digits the step needs, and the SI prefix of an axis's unit
// chosen from the size of its values.

#include <string>
#include <vector>

namespace kemvo {

// The smallest step of the 1-2-5 series (1, 2, 5, 10, 20, ... times a power of ten) that is at
// least `least` (> 0).
double niceStepAtLeast(double least);

// The next step of the 1-2-5 series after `step`.
double nextNiceStep(double step);

struct AxisTicks {
    double step = 0;            // [axis units] between neighbouring ticks
    std::vector<double> values; // the ticks inside [low, high], increasing
};

// Ticks at whole multiples of the smallest 1-2-5 step that is at least `leastStep` and leaves
// at most `most` ticks inside [low, high] (either order). Empty for a range of no width.
AxisTicks niceTicks(double low, double high, double leastStep, int most = 8);

// A metric prefix of a unit: its symbol ("µ", "m", "", "k") and the factor it stands for.
struct UnitPrefix {
    std::string symbol;
    double factor = 1;
};

// The prefix that shows the largest magnitude of an axis with one to three digits before the
// decimal point, from femto to giga; none for zero.
UnitPrefix engineeringPrefix(double largestMagnitude);

// The label of tick `value` [axis units] in units of `prefix`, with as many decimals as the
// step needs ("0.35", "−20", "1.5"), negative values with the minus sign U+2212; zero is
// "0", never "−0".
std::string tickLabel(double value, double step, const UnitPrefix &prefix);

} // namespace kemvo
