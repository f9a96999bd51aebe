#pragma once
// What the plot draws with: a pen that hands the canvas single-precision coordinates only, and
// the visible area that converts between the axes' units and the surface's pixels.

#include "display/FormPlot.h"
#include "shell/Canvas.h"
#include "shell/RuntimeError.h"

#include <cfloat>
#include <cmath>
#include <string>

namespace kemvo {

// Coordinates reach the canvas as single-precision numbers; a value that has none (too large,
// infinite, not a number) is an overflow, so nothing non-finite is ever painted.
inline double singlePrecision(double value) {
    if (!(std::fabs(value) <= FLT_MAX))
        throw RuntimeError(kOverflow);
    return static_cast<float>(value);
}

// Draws on the plot window's picture as it is at each call: showing the window for the first
// time may lend it a new canvas.
class PlotPen {
public:
    explicit PlotPen(FormPlot &plot) : plot_(plot) {}

    void scale(double left, double top, double right, double bottom) {
        double l = singlePrecision(left), t = singlePrecision(top);
        double r = singlePrecision(right), b = singlePrecision(bottom);
        if (l == r || t == b)
            throw RuntimeError("Invalid procedure call");
        canvas().scale(l, t, r, b);
    }
    void clear() { canvas().clear(); }
    void point(double x, double y) { canvas().point(singlePrecision(x), singlePrecision(y)); }
    void line(double x1, double y1, double x2, double y2) {
        canvas().line(singlePrecision(x1), singlePrecision(y1), singlePrecision(x2),
                      singlePrecision(y2));
    }
    void lineTo(double x, double y) { canvas().lineTo(singlePrecision(x), singlePrecision(y)); }
    void rectangle(double x1, double y1, double x2, double y2) {
        canvas().rectangle(singlePrecision(x1), singlePrecision(y1), singlePrecision(x2),
                           singlePrecision(y2));
    }
    void marker(double x, double y, Marker shape, bool filled) {
        canvas().marker(singlePrecision(x), singlePrecision(y), shape, filled);
    }
    void text(double x, double y, const std::string &text) {
        canvas().text(singlePrecision(x), singlePrecision(y), text);
    }
    void setDash(Dash dash) { canvas().setDash(dash); }
    void setColor(int paletteIndex) { canvas().setColor(paletteIndex); }

    double width() { return canvas().width(); }
    double height() { return canvas().height(); }
    TextExtent extent(const std::string &text) { return canvas().textExtent(text); }

private:
    Canvas &canvas() { return plot_.picture(); }
    FormPlot &plot_;
};

// The visible area: the user units at the surface's edges and its size in pixels.
struct PlotArea {
    double left = 0, top = 1, right = 1, bottom = 0; // user units
    double width = 1, height = 1;                    // [px]

    // User units of a pixel position, and back.
    double x(double px) const { return left + px / width * (right - left); }
    double y(double py) const { return top + py / height * (bottom - top); }
    double px(double x) const { return (x - left) / (right - left) * width; }
    double py(double y) const { return (y - top) / (bottom - top) * height; }
};

// A rectangle in pixels of the surface.
struct PixelBox {
    double left = 0, top = 0, right = 0, bottom = 0;
    bool contains(double px, double py) const {
        return left <= px && px <= right && top <= py && py <= bottom;
    }
};

} // namespace kemvo
