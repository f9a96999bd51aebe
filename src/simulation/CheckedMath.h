#pragma once
// Square root, logarithm and power that raise the program's run-time errors instead of
// returning NaN or an infinity.

#include "shell/RuntimeError.h"

#include <cmath>

namespace kemvo {

inline constexpr const char *kInvalidArgument = "Invalid procedure call or argument";

inline double checkedSqrt(double x) {
    if (x < 0)
        throw RuntimeError(kInvalidArgument);
    return checkedFinite(std::sqrt(x));
}

inline double checkedLog(double x) {
    if (!(x > 0))
        throw RuntimeError(kInvalidArgument);
    return checkedFinite(std::log(x));
}

// base^exponent; zero to a negative power is a division by zero, a negative base needs a
// whole exponent.
inline double checkedPow(double base, double exponent) {
    if (base == 0 && exponent < 0)
        throw RuntimeError(kDivisionByZero);
    if (base < 0 && exponent != std::trunc(exponent))
        throw RuntimeError(kInvalidArgument);
    return checkedFinite(std::pow(base, exponent));
}

} // namespace kemvo
