#pragma once
// The parameter report (.par): each label on a line of its own and its value on the next, so
// that a run can be documented. Nothing reads it back.

#include "shell/ExperimentState.h"

#include <ostream>

namespace kemvo {

// The tables hold entries 1..5, so at most five species blocks can be written.
inline constexpr int kMaxReportedSpecies = 5;

// Writes the thirteen label and value pairs of the experiment, then for species j = 1..
// columnCount a block with species j and charge-transfer step j (its values as the state holds
// them, whether or not the mechanism has that step), then the programme's E vertex 2, E final
// (E start where they are not set), cycles, scan rate and quiet time. Values are in the general
// number format with one blank for the sign of a non-negative number. A columnCount above five
// raises "Subscript out of range" before anything is written.
void writeParameterReport(std::ostream &out, const ExperimentState &state);

} // namespace kemvo
