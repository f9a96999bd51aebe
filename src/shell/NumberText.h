#pragma once
// Numbers in text boxes, labels, reports and files: the lenient and the strict read,
// the program's rounding rules and its display formats.

#include "shell/ExperimentState.h"

#include <string>
#include <string_view>

namespace kemvo {

// The minus sign U+2212 reads as '-' in both reads below.
//
// Lenient read of a text box: leading blanks are skipped and the longest leading decimal
// number (sign, digits, point, exponent) is taken; a text that starts otherwise reads as 0.
// A number too large for a double raises "Overflow".
double leadingValue(std::string_view text);

// Strict conversion of a whole text (blanks around it allowed); anything else raises a
// conversion error that quotes the text.
double strictValue(std::string_view text);

// True when strictValue would accept the text.
bool isNumber(std::string_view text);

// Rounds half to even into a 16-bit integer; out of range or not finite raises "Overflow".
Int16 roundToInt16(double value);

// The display formats, e.g. "0.#E-0" (plot labels), "0.##e-0" (electrode area),
// "0.###e-#" (concentrations), "#.###e-#" (equilibrium constants): one digit before the
// point, at most the given number of decimals, exponent with a sign only when negative.
// A mantissa without decimals is written without its point: 1e-3, not 1.e-3.
std::string formatNumber(double value, std::string_view pattern);

// The general format of reports and files: the shortest text that reads back as the same
// double, plain for moderate magnitudes and with an exponent ("1.5E-05") otherwise.
std::string generalNumber(double value);

// As written in reports and files: one blank in the place of the sign of a non-negative number.
std::string signedField(double value);

} // namespace kemvo
