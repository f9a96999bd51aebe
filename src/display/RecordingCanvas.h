#pragma once
// A canvas without pixels: it keeps the primitives of the current picture in the order they
// were drawn. It is the plot window's picture when no display is attached, lets tests see
// what was drawn, and can replay the picture onto any other canvas (an image file) of its
// size. Without a font it estimates the room a text takes, a little generously, so that
// labels laid out on it do not overlap once painted.

#include "shell/Canvas.h"

#include <optional>
#include <string>
#include <vector>

namespace kemvo {

struct Stroke {
    enum class Kind { Scale, Clear, Point, Line, LineTo, Rectangle, Marker, Dashed, Color, Text };
    Kind kind;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0; // Scale: left, top, right, bottom
    int value = 0; // Dashed: the Dash (0 solid, 1 dashed); Color: palette index; Marker: shape
    std::string text;
    bool filled = false; // Marker: filled or open
};

class RecordingCanvas : public Canvas {
public:
    // A surface of that size [px]; by default the size of a written plot picture.
    explicit RecordingCanvas(double width = 900, double height = 600)
        : width_(width), height_(height) {}

    void scale(double left, double top, double right, double bottom) override;
    // Forgets the picture; the scale, line style and colour in force are kept.
    void clear() override;
    void point(double x, double y) override;
    void line(double x1, double y1, double x2, double y2) override;
    void lineTo(double x, double y) override;
    void rectangle(double x1, double y1, double x2, double y2) override;
    void marker(double x, double y, Marker shape, bool filled) override;
    void setDash(Dash dash) override;
    void setColor(int paletteIndex) override;
    void text(double x, double y, const std::string &text) override;
    double width() const override { return width_; }
    double height() const override { return height_; }
    TextExtent textExtent(const std::string &text) const override;

    // The picture since the last clear, beginning with that clear (and the settings it kept).
    const std::vector<Stroke> &strokes() const { return strokes_; }
    // Draws the same picture on another canvas.
    void replay(Canvas &target) const;

private:
    void record(Stroke::Kind kind, double x1 = 0, double y1 = 0, double x2 = 0, double y2 = 0,
                int value = 0, std::string text = {});

    double width_;
    double height_;
    std::vector<Stroke> strokes_;
    std::optional<Stroke> lastScale_;
    Dash dash_ = Dash::Solid;
    int color_ = kForegroundColor;
};

} // namespace kemvo
