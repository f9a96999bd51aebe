#pragma once
// Which experiments the analytical simulation can compute: one table of technique, electrode
// and mechanism. Everything it refuses is refused before the run, so the state and the curves
// stay as they were.

#include "shell/ExperimentState.h"

#include <optional>
#include <string>

namespace kemvo {

// Why the closed forms cannot serve an experiment. The user reads
// "Analytical simulation Error: " + description + tail.
struct ClosedFormRefusal {
    std::string description; // e.g. "Square wave voltammetry has no closed form on the Microdisc"
    std::string tail;        // e.g. "! Tick the digital simulation or choose another electrode."
};

// The refusal for the technique, electrode and mechanism codes of state; none when a closed
// form serves them (the digital flag is not looked at).
std::optional<ClosedFormRefusal> closedFormRefusal(const ExperimentState &state);

} // namespace kemvo
