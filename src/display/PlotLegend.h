#pragma once
// The legend of the plot: each curve's name beside a sample of its colour and style, inside
// the frame at the corner where it covers the fewest data points.

#include "display/PlotPen.h"

#include <string>
#include <vector>

namespace kemvo {

struct LegendEntry {
    int curve = 1;           // 1..5: its colour, marker and line pattern
    int style = 0;           // the plot style it is drawn in (dots, squares, line)
    bool markedLine = false; // a line that carries its markers too
    std::string name;
};

struct PixelPoint {
    double x = 0, y = 0; // [px]
};

// Draws the entries in the corner of `frame` whose box holds the fewest of `points`; on a tie
// the first of top right, top left, bottom right, bottom left, top centre, bottom centre.
// Returns the box it took.
PixelBox drawLegend(PlotPen &pen, const PlotArea &area, const PixelBox &frame,
                    const std::vector<LegendEntry> &entries, const std::vector<PixelPoint> &points);

} // namespace kemvo
