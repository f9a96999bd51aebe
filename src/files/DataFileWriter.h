#pragma once
// Writing a curve as a comma-separated data file, one point a line.

#include "shell/CurveStore.h"

#include <ostream>
#include <string>

namespace kemvo {

// One line of the file without its line end: " 0.25 , 1.5E-05 ". Each number is written in
// the shortest form that reads back as the same double, after one blank in the place of the
// sign of a non-negative number and followed by one blank. A value that is not finite raises
// "Overflow".
std::string dataLine(double potential, double value);

// Writes points first..last of column `curve`, one line each. Point 0 holds no data and is
// never written, so an empty selection (first = last = 0) writes nothing.
void ExportCurve(std::ostream &out, int first, int last, const PointArray &potential,
                 const PointTable<6> &curves, int curve);

} // namespace kemvo
