#pragma once
// Semi-differentiation and semi-integration of a sweep in time, running integral and
// derivative of one curve with respect to the potential. The sampling step h = |E(2) - E(1)|
// [V] is taken from the first two points and assumed constant; a zero step raises
// "Division by zero". The semi-operations turn the potential axis into time with the scan
// rate v [V/s]: consecutive points are h/v apart, except points of equal potential (the
// vertex of a cycle, listed twice), which are one instant and receive one value.

#include "shell/CurveStore.h"

#include <vector>

namespace kemvo {

// Sampling step |E(2) - E(1)| [V] of the potential axis.
double samplingStep(const PointArray &potential);

// On values y[1..n] (y[0] unused) of a sweep at v [V/s] (SemiIntegration.h has the rule):
// the Riemann-Liouville semi-integral in time, 0 at the first point: a current [A] becomes
// [A s^1/2]; for a reversible wave it levels at n F A C sqrt(D).
void semiIntegrateValues(std::vector<double> &y, const PointArray &potential, int n,
                         double scanRate);
// The semi-derivative in time of y - y[1], its exact inverse on the same points, with y[1]
// added back to every point so that the curve keeps its baseline.
void semiDifferentiateValues(std::vector<double> &y, const PointArray &potential, int n,
                             double scanRate);
// Central differences inside, one-sided at the ends, divided by h. A curve of fewer than two
// points has no difference and is left as it is.
void differentiateValues(std::vector<double> &y, int n, double h);

// Column `column` of y at points 1..n, through the value functions above. The column is
// written only when every new value is finite.
template <int C>
void SemiDifferentiate(const PointArray &potential, PointTable<C> &y, int column, int n,
                       double scanRate);
template <int C>
void SemiIntegrate(const PointArray &potential, PointTable<C> &y, int column, int n,
                   double scanRate);
template <int C>
void Differentiate(const PointArray &potential, PointTable<C> &y, int column, int n);

// Running rectangle sum h * (y(1) + ... + y(i)) of curves(., column), points 1..n, written
// both into curves(., column) and into reactionCurrent(., column).
void Integrate(CurveStore &store, int column, int n);

namespace detail {
std::vector<double> readColumn(const auto &table, int column, int n) {
    std::vector<double> values(static_cast<std::size_t>(n) + 1, 0.0);
    for (int i = 1; i <= n; ++i)
        values[static_cast<std::size_t>(i)] = table(i, column);
    return values;
}
void writeColumn(auto &table, int column, int n, const std::vector<double> &values) {
    for (int i = 1; i <= n; ++i)
        table(i, column) = values[static_cast<std::size_t>(i)];
}
void requireFinite(const std::vector<double> &values);
} // namespace detail

template <int C>
void SemiDifferentiate(const PointArray &potential, PointTable<C> &y, int column, int n,
                       double scanRate) {
    std::vector<double> values = detail::readColumn(y, column, n);
    semiDifferentiateValues(values, potential, n, scanRate);
    detail::requireFinite(values);
    detail::writeColumn(y, column, n, values);
}

template <int C>
void SemiIntegrate(const PointArray &potential, PointTable<C> &y, int column, int n,
                   double scanRate) {
    std::vector<double> values = detail::readColumn(y, column, n);
    semiIntegrateValues(values, potential, n, scanRate);
    detail::requireFinite(values);
    detail::writeColumn(y, column, n, values);
}

template <int C>
void Differentiate(const PointArray &potential, PointTable<C> &y, int column, int n) {
    std::vector<double> values = detail::readColumn(y, column, n);
    differentiateValues(values, n, samplingStep(potential));
    detail::requireFinite(values);
    detail::writeColumn(y, column, n, values);
}

} // namespace kemvo
