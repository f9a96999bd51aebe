#pragma once
// The electrode potential of a time step under ohmic drop.

#include "simulation/CheckedMath.h"

#include <cmath>

namespace kemvo {

// The cell drives `applied` [V] across the electrode and Ru = `resistance` [ohm] in series, so
// the electrode sees E = applied - Ru I with the current I = current(E) [A] (anodic positive)
// that it passes itself. The residual r(I) = I - current(applied - Ru I) rises with I and changes
// sign between 0 and current(applied): regula falsi with the Illinois modification, falling
// back to bisection when a secant leaves the bracket, finds its root for every Ru >= 0.
template <class CurrentAt>
double ohmicPotential(double applied, double resistance, CurrentAt current) {
    const double unloaded = current(applied);
    if (!(resistance > 0.0) || unloaded == 0.0)
        return applied;
    auto residual = [&](double i) { return i - current(applied - resistance * i); };
    double a = 0.0, ra = -unloaded;
    double b = unloaded, rb = residual(unloaded);
    const double tolerance = 1e-13 * std::abs(unloaded);
    for (int iteration = 0; iteration < 200 && ra != 0.0 && rb != 0.0; ++iteration) {
        if (std::abs(b - a) <= tolerance)
            break;
        double next = b - rb * (b - a) / (rb - ra);
        if (!(std::abs(next - a) < std::abs(b - a) && std::abs(next - b) < std::abs(b - a)))
            next = (a + b) / 2; // a secant outside the bracket, or a vanishing denominator
        const double rNext = residual(next);
        if ((rNext > 0) == (rb > 0)) {
            ra *= 0.5; // Illinois: the end that stays loses half its weight
        } else {
            a = b;
            ra = rb;
        }
        b = next;
        rb = rNext;
    }
    return applied - resistance * checkedFinite(std::abs(ra) < std::abs(rb) ? a : b);
}

} // namespace kemvo
