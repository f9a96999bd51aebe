#pragma once
// Clipping of a straight segment to an upright rectangle, shared by the plot (the frame of
// fixed limits) and the canvases (the margin around the drawing surface).

#include <algorithm>

namespace kemvo {

// Cuts the segment a-b to the rectangle [left, right] x [bottom, top] (Liang-Barsky);
// false if nothing of it lies inside.
inline bool clipSegment(double &ax, double &ay, double &bx, double &by, double left, double right,
                        double bottom, double top) {
    double t0 = 0, t1 = 1;
    const double dx = bx - ax, dy = by - ay;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {ax - left, right - ax, ay - bottom, top - ay};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const double startX = ax, startY = ay;
    ax = startX + t0 * dx;
    ay = startY + t0 * dy;
    bx = startX + t1 * dx;
    by = startY + t1 * dy;
    return true;
}

} // namespace kemvo
