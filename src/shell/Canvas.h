#pragma once
// The drawing surface of the plot window, in user coordinates: the plot code places every
// primitive in the units of its axes and the canvas maps them to its pixels. Line style and
// colour stay as set until changed, also across clear().

#include <string>

namespace kemvo {

// Colours of the 16-colour palette that the plot uses.
inline constexpr int kForegroundColor = -1;
inline constexpr int kDarkRed = 4;         // RGB 128, 0, 0
inline constexpr int kUnweightedColor = 8; // RGB 128, 128, 128: points a fit did not weigh

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
    virtual void setDashed(bool dashed) = 0;
    // Colour from the 16-colour palette (4 is dark red); -1 for the foreground colour.
    virtual void setColor(int paletteIndex) = 0;
    // Text with its top-left corner at (x, y).
    virtual void text(double x, double y, const std::string &text) = 0;
};

} // namespace kemvo
