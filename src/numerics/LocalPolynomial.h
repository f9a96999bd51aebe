#pragma once
// Least-squares polynomials through samples: the local fits of Savitzky and Golay (Anal. Chem.
// 36 (1964) 1627) on equally spaced points, for smoothing a curve and for measuring its noise,
// and the fit of a polynomial of low degree through scattered points.

#include <optional>
#include <span>
#include <vector>

namespace kemvo {

// Weights w(k), k = -before..after, such that sum w(k) y(i + k) is the value at offset `at`
// (in points from i) of the least-squares polynomial of degree `degree` through
// y(i - before .. i + after). Needs before + after >= degree.
std::vector<double> localFitWeights(int before, int after, int degree, double at);

// Savitzky-Golay smoothing by a quadratic through 2 halfWidth + 1 points; within halfWidth of
// an end the window stays whole and its quadratic is read off centre. halfWidth 0, or fewer
// than 3 points, returns y as it is.
std::vector<double> smoothed(std::span<const double> y, int halfWidth);

// The residual of each inner point from the least-squares polynomial of degree `degree`
// through its 2 halfWidth + 1 neighbours (itself included), divided by sqrt(1 - w(0)) so that
// on white noise of deviation sigma each has deviation sigma. A smooth signal leaves only the
// remainder of the next even order (h^4 y'''' for a quadratic, h^6 for a quartic). Empty for
// fewer than 2 halfWidth + 1 points.
std::vector<double> localFitResiduals(std::span<const double> y, int halfWidth, int degree);

// The deviation of normally distributed values from their robust scale: 1.4826 times the
// median of |value| (a few outliers, such as a curve's kinks, do not move it). 0 when empty.
double robustDeviation(std::vector<double> values);

// y = c0 + c1 (x - centre) + c2 (x - centre)^2 + ...
struct Polynomial {
    double centre = 0;
    std::vector<double> coefficients;
    double operator()(double x) const;
    double slope() const { return coefficients.size() > 1 ? coefficients[1] : 0; }
};

// The least-squares polynomial of degree `degree` through the points (x, y), centred on the
// mean of x; none when there are not more points than the degree or the x do not tell the
// coefficients apart.
std::optional<Polynomial> fitPolynomial(std::span<const double> x, std::span<const double> y,
                                        int degree);

// The standard error of the slope of the least-squares line through (x, y) for values of
// deviation sigma: sigma / sqrt(sum (x - mean)^2); infinite for fewer than two distinct x.
double slopeStandardError(std::span<const double> x, double sigma);

} // namespace kemvo
