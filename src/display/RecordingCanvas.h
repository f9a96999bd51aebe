#pragma once
// A canvas without pixels: it keeps the primitives of the current picture in the order they
// were drawn. It is the plot window's picture when no display is attached, lets tests see
// what was drawn, and can replay the picture onto any other canvas (an image file).

#include "shell/Canvas.h"

#include <optional>
#include <string>
#include <vector>

namespace kemvo {

struct Stroke {
    enum class Kind { Scale, Clear, Point, Line, LineTo, Rectangle, Dashed, Color, Text };
    Kind kind;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0; // Scale: left, top, right, bottom
    int value = 0;                         // Dashed: 0/1; Color: palette index
    std::string text;
};

class RecordingCanvas : public Canvas {
public:
    void scale(double left, double top, double right, double bottom) override;
    // Forgets the picture; the scale, line style and colour in force are kept.
    void clear() override;
    void point(double x, double y) override;
    void line(double x1, double y1, double x2, double y2) override;
    void lineTo(double x, double y) override;
    void rectangle(double x1, double y1, double x2, double y2) override;
    void setDashed(bool dashed) override;
    void setColor(int paletteIndex) override;
    void text(double x, double y, const std::string &text) override;

    // The picture since the last clear, beginning with that clear (and the settings it kept).
    const std::vector<Stroke> &strokes() const { return strokes_; }
    // Draws the same picture on another canvas.
    void replay(Canvas &target) const;

private:
    void record(Stroke::Kind kind, double x1 = 0, double y1 = 0, double x2 = 0, double y2 = 0,
                int value = 0, std::string text = {});

    std::vector<Stroke> strokes_;
    std::optional<Stroke> lastScale_;
    bool dashed_ = false;
    int color_ = kForegroundColor;
};

} // namespace kemvo
