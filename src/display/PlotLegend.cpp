#include "display/PlotLegend.h"

#include "display/CurveStyle.h"

#include <algorithm>
#include <cmath>

namespace kemvo {
namespace {

// The legend's boxes to choose from, in order of preference.
std::vector<PixelBox> candidateBoxes(const PixelBox &frame, double width, double height,
                                     double inset) {
    const double left = frame.left + inset, right = frame.right - inset - width;
    const double top = frame.top + inset, bottom = frame.bottom - inset - height;
    const double centre = (frame.left + frame.right - width) / 2;
    std::vector<PixelBox> boxes;
    for (auto [x, y] : {std::pair{right, top},
                        {left, top},
                        {right, bottom},
                        {left, bottom},
                        {centre, top},
                        {centre, bottom}})
        boxes.push_back({x, y, x + width, y + height});
    return boxes;
}

void drawSample(PlotPen &pen, const PlotArea &area, const LegendEntry &entry, double from,
                double to, double y) {
    const double uy = area.y(y);
    const bool line = entry.style == kLineStyle;
    if (line) {
        pen.setDash(curveDash(entry.curve));
        pen.line(area.x(from), uy, area.x(to), uy);
        pen.setDash(Dash::Solid);
    }
    if (!line || entry.markedLine) {
        const bool filled = entry.style != kSquaresStyle;
        for (double at : line ? std::vector<double>{0.5} : std::vector<double>{0.25, 0.75})
            pen.marker(area.x(from + at * (to - from)), uy, curveMarker(entry.curve), filled);
    }
}

} // namespace

PixelBox drawLegend(PlotPen &pen, const PlotArea &area, const PixelBox &frame,
                    const std::vector<LegendEntry> &entries,
                    const std::vector<PixelPoint> &points) {
    const double row = pen.extent("Ag").height;
    const double sample = 2.2 * row, gap = 0.4 * row;
    double names = 0;
    for (const LegendEntry &entry : entries)
        names = std::max(names, pen.extent(entry.name).width);
    const double width = sample + gap + names;
    const double height = static_cast<double>(entries.size()) * row;

    std::vector<PixelBox> boxes = candidateBoxes(frame, width, height, gap);
    std::size_t best = 0, fewest = points.size() + 1;
    for (std::size_t b = 0; b < boxes.size(); ++b) {
        const PixelBox &box = boxes[b];
        const PixelBox around{box.left - gap, box.top - gap, box.right + gap, box.bottom + gap};
        std::size_t covered = static_cast<std::size_t>(
            std::count_if(points.begin(), points.end(),
                          [&](const PixelPoint &p) { return around.contains(p.x, p.y); }));
        if (covered < fewest) {
            fewest = covered;
            best = b;
        }
    }
    const PixelBox box = boxes[best];
    for (std::size_t e = 0; e < entries.size(); ++e) {
        const double top = box.top + static_cast<double>(e) * row;
        pen.setColor(curveColor(entries[e].curve));
        drawSample(pen, area, entries[e], box.left, box.left + sample, top + row / 2);
        pen.setColor(kForegroundColor);
        pen.text(area.x(box.left + sample + gap), area.y(top), entries[e].name);
    }
    return box;
}

} // namespace kemvo
