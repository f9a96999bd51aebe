#pragma once
// Semi-differentiation, running integral and derivative of one curve with respect to the
// potential. The sampling step h = |E(2) - E(1)| [V] is taken from the first two points and
// assumed constant; a zero step raises "Division by zero".

#include "shell/CurveStore.h"

#include <vector>

namespace kemvo {

// Sampling step |E(2) - E(1)| [V] of the potential axis.
double samplingStep(const PointArray &potential);

// On values y[1..n] (y[0] unused), step h [V]:
// Riemann-Liouville semi-derivative with square-root weights,
//   Z(i) = K (D(i) + sum_{k<i} w(i-k) D(k)), K = 0.25 sqrt(1/(pi h)), D = y - y[1],
//   w(m) = sqrt(m+1) - 2 sqrt(m) + sqrt(m-1),
// for i = 3..n-1, with Z(1) = Z(2) = Z(3), Z(n) = Z(n-1), then y = Z + y[1].
// Fewer than four points leave every value equal to y[1].
void semiDifferentiateValues(std::vector<double> &y, int n, double h);
// Central differences inside, one-sided at the ends, divided by h. A curve of fewer than two
// points has no difference and is left as it is.
void differentiateValues(std::vector<double> &y, int n, double h);

// Column `column` of y at points 1..n, through the value functions above. The column is
// written only when every new value is finite.
template <int C>
void SemiDifferentiate(const PointArray &potential, PointTable<C> &y, int column, int n);
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
void SemiDifferentiate(const PointArray &potential, PointTable<C> &y, int column, int n) {
    std::vector<double> values = detail::readColumn(y, column, n);
    semiDifferentiateValues(values, n, samplingStep(potential));
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
