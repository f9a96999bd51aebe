#pragma once
// The run-time errors of the program: overflow, division by zero, an index past an array's end,
// a text that does not convert to a number. Each command traps them once and shows its message.

#include <cmath>
#include <stdexcept>
#include <string>

namespace kemvo {

class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(const std::string &description) : std::runtime_error(description) {}
};

// Descriptions shared by the numerical code, so that messages read alike everywhere.
inline constexpr const char *kOverflow = "Overflow";
inline constexpr const char *kDivisionByZero = "Division by zero";
inline constexpr const char *kSubscriptOutOfRange = "Subscript out of range";

// Floating point does not trap: a result that is not finite is reported as an overflow
// (or, for 0/0, as a division by zero) where it arises.
inline double checkedFinite(double value) {
    if (std::isnan(value))
        throw RuntimeError(kDivisionByZero);
    if (std::isinf(value))
        throw RuntimeError(kOverflow);
    return value;
}

// Quotient that raises "Division by zero" instead of producing an infinity.
inline double checkedDivide(double numerator, double denominator) {
    if (denominator == 0.0)
        throw RuntimeError(kDivisionByZero);
    return checkedFinite(numerator / denominator);
}

inline double checkedExp(double x) {
    return checkedFinite(std::exp(x));
}

} // namespace kemvo
