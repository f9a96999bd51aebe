#pragma once
// The drawing surface of the plot window, in user coordinates: the plot code places every
// primitive in the units of its axes and the canvas maps them to its pixels. Line style and
// colour stay as set until changed, also across clear(). The surface also tells its size and
// the size of a text in its own pixels, so that the plot can lay out its labels.

#include <algorithm>
#include <string>

namespace kemvo {

// Colours of the palette: 0..15 the 16-colour palette, 16..20 the curve colours (a palette
// that colour-blind readers can tell apart), 21 the light grey of the grid.
inline constexpr int kForegroundColor = -1;
inline constexpr int kDarkRed = 4;         // RGB 128, 0, 0
inline constexpr int kUnweightedColor = 8; // RGB 128, 128, 128: points a fit did not weigh
inline constexpr int kFirstCurveColor = 16;
inline constexpr int kGridColor = 21;
// The colour of curve k = 1..5.
inline constexpr int curveColor(int k) {
    return kFirstCurveColor + (k - 1) % 5;
}

// The shape of a data marker.
enum class Marker { Circle, Square, TriangleUp, Diamond, TriangleDown };

// The pattern of lines: 0 solid and 1 dashed, as a plain on/off choice gives them.
enum class Dash { Solid = 0, Dashed = 1, DashDot = 2, Dotted = 3 };

struct TextExtent {
    double width = 0;  // [px]
    double height = 0; // [px] one line
};

// The font size of a surface of that size [px]: readable on a small window, not shouting on a
// large one.
inline double plotFontPixels(double width, double height) {
    return std::clamp(std::min(width, height) / 40, 11.0, 16.0);
}

class Canvas {
public:
    virtual ~Canvas() = default;
    // User coordinates of the left, top, right and bottom edges (either direction).
    virtual void scale(double left, double top, double right, double bottom) = 0;
    // Erases the whole surface to the background colour.
    virtual void clear() = 0;
    // A single point, which becomes the current position.
    virtual void point(double x, double y) = 0;
    // Draws a segment and leaves the current position at its end.
    virtual void line(double x1, double y1, double x2, double y2) = 0;
    // Draws from the current position to (x, y), which becomes the current position.
    virtual void lineTo(double x, double y) = 0;
    virtual void rectangle(double x1, double y1, double x2, double y2) = 0;
    // A data marker centred on (x, y), of a size fixed in pixels: filled (small) or open
    // (larger, an outline).
    virtual void marker(double x, double y, Marker shape, bool filled) = 0;
    virtual void setDash(Dash dash) = 0;
    void setDashed(bool dashed) { setDash(dashed ? Dash::Dashed : Dash::Solid); }
    // Colour from the palette above (4 is dark red); -1 for the foreground colour.
    virtual void setColor(int paletteIndex) = 0;
    // Text with its top-left corner at (x, y).
    virtual void text(double x, double y, const std::string &text) = 0;

    // The surface's size [px] and the room a text takes on it.
    virtual double width() const = 0;
    virtual double height() const = 0;
    virtual TextExtent textExtent(const std::string &text) const = 0;
};

} // namespace kemvo
