#pragma once
// Export All Curves: every curve on the plot in one comma-separated table, and the reading of
// such a table back. The first line names the columns, "E /V" and then each curve as the
// plot's legend names it with its unit ("measured /A", "fit /A"); each further line holds a
// point, numbers at full precision (17 significant digits). All curves of the curve store
// share one potential axis, so one E column leads them.

#include "files/InstrumentFormats.h"
#include "shell/CurveStore.h"
#include "shell/ExperimentState.h"

#include <ostream>
#include <string>
#include <vector>

namespace kemvo {

// The column titles for curves 1..curveCount holding `quantity` (an entry of the plot
// options' ComboY). A comma in a curve's name is written as a semicolon.
std::vector<std::string> curveTableTitles(const ExperimentState &state,
                                          const std::string &quantity);

// Writes the titles and points firstPoint..lastPoint of curves 1..curveCount. A value that is
// not finite raises "Overflow".
void writeCurveTable(std::ostream &out, const ExperimentState &state, const CurveStore &store,
                     const std::string &quantity);

// A table whose first title is a potential ("E /V", "E /mV", "E × 10 /V") followed by at least
// one more column.
bool isCurveTable(const TextLines &lines);
// Each curve column as a curve named by its title before " /", against the potential column
// before it, converted to V and A where its unit is one of those.
MeasuredFile readCurveTable(const TextLines &lines);

} // namespace kemvo
