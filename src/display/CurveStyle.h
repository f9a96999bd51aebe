#pragma once
// How curve k = 1..5 is told apart from the others, in colour and in grey: its own colour, its
// own marker shape (filled small for "dots", open and larger for "squares") and its own line
// pattern. Curves 1 and 2 (measured and fit) share the solid line; where both are lines,
// curve 1 carries its markers as well.

#include "shell/Canvas.h"

namespace kemvo {

inline Marker curveMarker(int k) {
    constexpr Marker kShapes[] = {Marker::Circle, Marker::Square, Marker::TriangleUp,
                                  Marker::Diamond, Marker::TriangleDown};
    return kShapes[(k - 1) % 5];
}

inline Dash curveDash(int k) {
    constexpr Dash kDashes[] = {Dash::Solid, Dash::Solid, Dash::Dashed, Dash::DashDot,
                                Dash::Dotted};
    return kDashes[(k - 1) % 5];
}

// Plot styles of the options window: 1 dots, 2 squares (open markers), 3 line.
inline constexpr int kDotsStyle = 1;
inline constexpr int kSquaresStyle = 2;
inline constexpr int kLineStyle = 3;

} // namespace kemvo
