#include "display/AxisTicks.h"

#include <cmath>
#include <cstdio>

namespace kemvo {
namespace {

// Mantissas of the 1-2-5 series within a decade.
constexpr double kMantissas[] = {1, 2, 5};

// The step as mantissa * 10^exponent, mantissa 1, 2 or 5 (within a rounding of the power).
void splitStep(double step, double &mantissa, int &exponent) {
    exponent = static_cast<int>(std::floor(std::log10(step) + 1e-9));
    mantissa = step / std::pow(10.0, exponent);
}

} // namespace

double niceStepAtLeast(double least) {
    int exponent = static_cast<int>(std::floor(std::log10(least)));
    for (;; ++exponent) {
        const double power = std::pow(10.0, exponent);
        for (double mantissa : kMantissas)
            // A hair of tolerance: 0.3 / 3 asks for 0.1, not 0.2.
            if (mantissa * power >= least * (1 - 1e-9))
                return mantissa * power;
    }
}

double nextNiceStep(double step) {
    return niceStepAtLeast(step * 1.01);
}

AxisTicks niceTicks(double low, double high, double leastStep, int most) {
    if (high < low)
        std::swap(low, high);
    AxisTicks ticks;
    const double span = high - low;
    if (!(span > 0) || !std::isfinite(span))
        return ticks;
    // A step is never finer than the range shared out over `most` ticks.
    double step = niceStepAtLeast(std::fmax(leastStep, span / (most + 1)));
    for (;; step = nextNiceStep(step)) {
        // A tick a rounding away from a limit still counts as inside.
        const double slack = 1e-9 * step;
        const double first = std::ceil((low - slack) / step);
        const double last = std::floor((high + slack) / step);
        if (last - first + 1 <= most) {
            ticks.step = step;
            for (double k = first; k <= last; ++k)
                ticks.values.push_back(k * step);
            return ticks;
        }
    }
}

UnitPrefix engineeringPrefix(double largestMagnitude) {
    static const char *const kSymbols[] = {"f", "p", "n", "µ", "m", "", "k", "M", "G"};
    if (!(largestMagnitude > 0) || !std::isfinite(largestMagnitude))
        return {};
    int thousands = static_cast<int>(std::floor(std::log10(largestMagnitude) / 3 + 1e-9));
    thousands = std::max(-5, std::min(3, thousands));
    return {kSymbols[thousands + 5], std::pow(10.0, 3 * thousands)};
}

std::string tickLabel(double value, double step, const UnitPrefix &prefix) {
    double mantissa = 1;
    int exponent = 0;
    splitStep(step / prefix.factor, mantissa, exponent);
    const int decimals = std::max(0, -exponent);
    const double shown = value / prefix.factor;
    if (std::fabs(shown) < 0.5 * std::pow(10.0, -decimals))
        return "0";
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, std::fabs(shown));
    // The typographic minus sign, as a printed figure has it.
    return (shown < 0 ? "\u2212" : "") + std::string(text);
}

} // namespace kemvo
