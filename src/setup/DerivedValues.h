#pragma once
// How the parameters window works out the values it derives while the user types (area,
// volume, Keq, drop time, pulse width, initial concentrations): from the texts that are numbers,
// written back in the formats the window shows.

#include "setup/ParameterIntake.h"
#include "shell/NumberText.h"
#include "shell/RuntimeError.h"

#include <cstdio>
#include <functional>
#include <string>

namespace kemvo::derived {

// A derived value is computed only from texts that are numbers, and a step whose reading or
// arithmetic fails is skipped: the boxes it would write keep their texts.
inline void attempt(const std::function<void()> &step) {
    try {
        step();
    } catch (const RuntimeError &) {
    }
}

inline double numberIn(const std::string &text) {
    return strictValue(text);
}

// A computed number as a text box shows it: up to 15 significant digits.
inline std::string boxNumber(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.15G", checkedFinite(value));
    return buffer;
}

// "0.###e-#", and an absent species as plainly "0", as the window starts.
inline std::string concentrationText(double value) {
    return checkedFinite(value) == 0.0 ? "0" : formatNumber(value, "0.###e-#");
}

} // namespace kemvo::derived
