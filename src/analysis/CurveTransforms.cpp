#include "analysis/CurveTransforms.h"

#include "shell/Constants.h"

#include <cmath>

namespace kemvo {
namespace {

// The weights w(m) = sqrt(m+1) - 2 sqrt(m) + sqrt(m-1), m = 1..count-1, stored in reverse:
// reversed[count - m] = w(m), so that the sum over earlier points runs forwards through
// both arrays.
std::vector<double> reversedWeights(int count) {
    std::vector<double> reversed(static_cast<std::size_t>(count) + 1, 0.0);
    for (int m = 1; m < count; ++m)
        reversed[static_cast<std::size_t>(count - m)] =
            std::sqrt(m + 1.0) - 2 * std::sqrt(double(m)) + std::sqrt(m - 1.0);
    return reversed;
}

// a[0]*b[0] + ... + a[length-1]*b[length-1] in four independent partial sums, so that the
// quadratic semi-derivative is not held up by the latency of one long chain of additions.
double dot(const double *a, const double *b, int length) {
    double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    int k = 0;
    for (; k + 4 <= length; k += 4) {
        s0 += a[k] * b[k];
        s1 += a[k + 1] * b[k + 1];
        s2 += a[k + 2] * b[k + 2];
        s3 += a[k + 3] * b[k + 3];
    }
    for (; k < length; ++k)
        s0 += a[k] * b[k];
    return (s0 + s1) + (s2 + s3);
}

} // namespace

double samplingStep(const PointArray &potential) {
    return std::fabs(potential(2) - potential(1));
}

void semiDifferentiateValues(std::vector<double> &y, int n, double h) {
    if (n < 1)
        return;
    if (h == 0)
        throw RuntimeError(kDivisionByZero);
    const double K = 0.25 * std::sqrt((1 / kPi) / h);
    const double first = y[1];
    std::vector<double> D(static_cast<std::size_t>(n) + 1, 0.0);
    for (int i = 1; i <= n; ++i)
        D[static_cast<std::size_t>(i)] = y[static_cast<std::size_t>(i)] - first;

    std::vector<double> Z(static_cast<std::size_t>(std::max(n, 3)) + 1, 0.0);
    const std::vector<double> reversed = reversedWeights(n);
    for (int i = 3; i <= n - 1; ++i) {
        // sum over k = 1..i-1 of w(i-k) D(k); reversed[n - i + k] = w(i - k)
        double history = dot(reversed.data() + (n - i + 1), D.data() + 1, i - 1);
        Z[static_cast<std::size_t>(i)] = K * (D[static_cast<std::size_t>(i)] + history);
    }
    if (n >= 2)
        Z[static_cast<std::size_t>(n)] = Z[static_cast<std::size_t>(n - 1)];
    Z[1] = Z[3];
    Z[2] = Z[3];
    for (int i = 1; i <= n; ++i)
        y[static_cast<std::size_t>(i)] = Z[static_cast<std::size_t>(i)] + first;
}

void differentiateValues(std::vector<double> &y, int n, double h) {
    if (n < 2)
        return;
    if (h == 0)
        throw RuntimeError(kDivisionByZero);
    auto at = [&y](int i) { return y[static_cast<std::size_t>(i)]; };
    std::vector<double> D(static_cast<std::size_t>(n) + 1, 0.0);
    D[1] = (at(2) - at(1)) / h;
    D[static_cast<std::size_t>(n)] = (at(n) - at(n - 1)) / h;
    for (int i = 2; i <= n - 1; ++i)
        D[static_cast<std::size_t>(i)] = (at(i + 1) - at(i - 1)) / (2 * h);
    for (int i = 1; i <= n; ++i)
        y[static_cast<std::size_t>(i)] = D[static_cast<std::size_t>(i)];
}

void Integrate(CurveStore &store, int column, int n) {
    const double h = samplingStep(store.potential);
    std::vector<double> sums = detail::readColumn(store.curves, column, n);
    double S = 0;
    for (int i = 1; i <= n; ++i) {
        S = checkedFinite(S + sums[static_cast<std::size_t>(i)] * h);
        sums[static_cast<std::size_t>(i)] = S;
    }
    detail::writeColumn(store.reactionCurrent, column, n, sums);
    detail::writeColumn(store.curves, column, n, sums);
}

namespace detail {
void requireFinite(const std::vector<double> &values) {
    for (double value : values)
        checkedFinite(value);
}
} // namespace detail

} // namespace kemvo
