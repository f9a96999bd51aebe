#pragma once
// Physical constants as the program has always used them; results are compared with
// earlier runs to the last digit, so the historical values stay.

namespace kemvo {

inline constexpr double kFaraday = 96484.6;      // [C/mol]
inline constexpr double kGasConstant = 8.31441;  // [J/(mol K)]
inline constexpr double kCelsiusOffset = 273.14; // [K] added to degrees Celsius
inline constexpr double kPi = 3.141592654;       // pi as written out in the formulas
inline constexpr double kSqrtPi = 1.77245385;    // square root of pi as written out
inline constexpr double kTwoPi = 6.283185308;    // 2 pi as written out
inline constexpr double kMolarToPerCm3 = 0.001;  // [mol/L] -> [mol/cm^3]

} // namespace kemvo
