#pragma once
// The parameter report (.par): each label on a line of its own and its value on the next, so
// that a run can be documented. Nothing reads it back.

#include "shell/ExperimentState.h"
#include "shell/FitRecord.h"

#include <optional>
#include <ostream>
#include <string>

namespace kemvo {

// The tables hold entries 1..5, so at most five species blocks can be written.
inline constexpr int kMaxReportedSpecies = 5;

// Writes the thirteen label and value pairs of the experiment, then for species j = 1..
// columnCount a block with species j and charge-transfer step j (its values as the state holds
// them, whether or not the mechanism has that step), then the programme's E vertex 2, E final
// (E start where they are not set), cycles, scan rate, quiet time and vertex hold. Values are in
// the general number format with one blank for the sign of a non-negative number. A columnCount
// above five raises "Subscript out of range" before anything is written.
void writeParameterReport(std::ostream &out, const ExperimentState &state);

// What the report adds from the windows: the uncompensated resistance and the grid.
struct ReportSettings {
    double resistance = 0; // [ohm] the Ru box
    std::string grid;      // "fine", "standard" or "analytical"
};

// After the blocks above, in the same label and value lines: the technique, mechanism and
// electrode by name, every parameter of the experiment (temperature, radius, length, area,
// scan rate, grid, Cdl, Ru, and D and C of each species of the mechanism), then the last fit:
// its outcome, each parameter's value, standard error and remark, the correlations over 0.95,
// the points fitted, the least square and the rms residual.
void writeExperimentAndFit(std::ostream &out, const ExperimentState &state,
                           const ReportSettings &settings, const std::optional<FitRecord> &fit);

} // namespace kemvo
