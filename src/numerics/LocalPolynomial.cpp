#include "numerics/LocalPolynomial.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kemvo {
namespace {

using Matrix = std::vector<std::vector<double>>;

// Solves A x = b by Gaussian elimination with partial pivoting; none for a singular A.
std::optional<std::vector<double>> solve(Matrix a, std::vector<double> b) {
    const std::size_t n = b.size();
    double largest = 0;
    for (const auto &row : a)
        for (double v : row)
            largest = std::max(largest, std::fabs(v));
    for (std::size_t col = 0; col < n; ++col) {
        std::size_t pivot = col;
        for (std::size_t r = col + 1; r < n; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col]))
                pivot = r;
        if (!(std::fabs(a[pivot][col]) > 1e-13 * largest))
            return std::nullopt;
        std::swap(a[pivot], a[col]);
        std::swap(b[pivot], b[col]);
        for (std::size_t r = col + 1; r < n; ++r) {
            const double factor = a[r][col] / a[col][col];
            for (std::size_t c = col; c < n; ++c)
                a[r][c] -= factor * a[col][c];
            b[r] -= factor * b[col];
        }
    }
    std::vector<double> x(n);
    for (std::size_t r = n; r-- > 0;) {
        double sum = b[r];
        for (std::size_t c = r + 1; c < n; ++c)
            sum -= a[r][c] * x[c];
        x[r] = sum / a[r][r];
    }
    return x;
}

// The Gram matrix sum over the points of x^(j+k), j, k = 0..degree.
Matrix gram(std::span<const double> x, int degree) {
    const auto size = static_cast<std::size_t>(degree + 1);
    Matrix g(size, std::vector<double>(size, 0));
    for (double xi : x) {
        double pj = 1;
        for (std::size_t j = 0; j < size; ++j, pj *= xi) {
            double pk = pj * pj; // x^(j+k) from k = j
            for (std::size_t k = j; k < size; ++k, pk *= xi)
                g[j][k] += pk;
        }
    }
    for (std::size_t j = 0; j < size; ++j)
        for (std::size_t k = 0; k < j; ++k)
            g[j][k] = g[k][j];
    return g;
}

} // namespace

std::vector<double> localFitWeights(int before, int after, int degree, double at) {
    // The fitted value at `at` is p(at)^T G^-1 X^T y, with p(at) the powers of `at`: the
    // weights are X z with G z = p(at). Offsets are scaled to [-1, 1] for the conditioning.
    const double scale = std::max({before, after, 1});
    std::vector<double> offsets;
    for (int k = -before; k <= after; ++k)
        offsets.push_back(k / scale);
    std::vector<double> powers(static_cast<std::size_t>(degree + 1));
    double p = 1;
    for (double &power : powers) {
        power = p;
        p *= at / scale;
    }
    const auto z = solve(gram(offsets, degree), powers);
    std::vector<double> weights(offsets.size(), 0);
    if (!z)
        return weights;
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        double xi = 1;
        for (double zj : *z) {
            weights[i] += zj * xi;
            xi *= offsets[i];
        }
    }
    return weights;
}

std::vector<double> smoothed(std::span<const double> y, int halfWidth) {
    const int n = static_cast<int>(y.size());
    std::vector<double> out(y.begin(), y.end());
    const int m = std::min(halfWidth, (n - 1) / 2);
    if (m < 1 || n < 3)
        return out;
    const std::vector<double> centre = localFitWeights(m, m, 2, 0);
    for (int i = 0; i < n; ++i) {
        // Near an end the window keeps its 2m + 1 points and is read off centre.
        const int first = std::clamp(i - m, 0, n - 1 - 2 * m);
        const std::vector<double> offCentre =
            first == i - m ? std::vector<double>{}
                           : localFitWeights(i - first, first + 2 * m - i, 2, 0);
        const std::vector<double> &w = offCentre.empty() ? centre : offCentre;
        double sum = 0;
        for (int k = 0; k <= 2 * m; ++k)
            sum += w[static_cast<std::size_t>(k)] * y[static_cast<std::size_t>(first + k)];
        out[static_cast<std::size_t>(i)] = sum;
    }
    return out;
}

std::vector<double> localFitResiduals(std::span<const double> y, int halfWidth, int degree) {
    const int n = static_cast<int>(y.size());
    std::vector<double> residuals;
    if (halfWidth < 1 || n < 2 * halfWidth + 1 || degree >= 2 * halfWidth)
        return residuals;
    const std::vector<double> w = localFitWeights(halfWidth, halfWidth, degree, 0);
    // r = y(i) - sum w y = sum h y with h = delta - w; its variance is sigma^2 sum h^2 =
    // sigma^2 (1 - w(0)), since w is the centre row of a projection.
    const double norm = std::sqrt(1 - w[static_cast<std::size_t>(halfWidth)]);
    for (int i = halfWidth; i < n - halfWidth; ++i) {
        double fit = 0;
        for (int k = -halfWidth; k <= halfWidth; ++k)
            fit += w[static_cast<std::size_t>(k + halfWidth)] * y[static_cast<std::size_t>(i + k)];
        residuals.push_back((y[static_cast<std::size_t>(i)] - fit) / norm);
    }
    return residuals;
}

double robustDeviation(std::vector<double> values) {
    if (values.empty())
        return 0;
    for (double &v : values)
        v = std::fabs(v);
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    double median = *middle;
    if (values.size() % 2 == 0)
        median = (median + *std::max_element(values.begin(), middle)) / 2;
    // 1 / 1.4826 is the median of |z| for a standard normal z.
    return 1.4826 * median;
}

double Polynomial::operator()(double x) const {
    double value = 0;
    for (std::size_t k = coefficients.size(); k-- > 0;)
        value = value * (x - centre) + coefficients[k];
    return value;
}

std::optional<Polynomial> fitPolynomial(std::span<const double> x, std::span<const double> y,
                                        int degree) {
    if (x.size() != y.size() || static_cast<int>(x.size()) <= degree || degree < 0)
        return std::nullopt;
    Polynomial fit;
    for (double xi : x)
        fit.centre += xi;
    fit.centre /= static_cast<double>(x.size());
    double scale = 0;
    for (double xi : x)
        scale = std::max(scale, std::fabs(xi - fit.centre));
    if (!(scale > 0))
        scale = 1;
    std::vector<double> u;
    for (double xi : x)
        u.push_back((xi - fit.centre) / scale);
    const auto size = static_cast<std::size_t>(degree + 1);
    std::vector<double> rhs(size, 0);
    for (std::size_t i = 0; i < u.size(); ++i) {
        double p = 1;
        for (std::size_t k = 0; k < size; ++k, p *= u[i])
            rhs[k] += p * y[i];
    }
    const auto c = solve(gram(u, degree), rhs);
    if (!c)
        return std::nullopt;
    double factor = 1;
    for (double ck : *c) {
        fit.coefficients.push_back(ck / factor);
        factor *= scale;
    }
    return fit;
}

double slopeStandardError(std::span<const double> x, double sigma) {
    double mean = 0;
    for (double xi : x)
        mean += xi;
    mean /= std::max<double>(1, static_cast<double>(x.size()));
    double spread = 0;
    for (double xi : x)
        spread += (xi - mean) * (xi - mean);
    return spread > 0 ? sigma / std::sqrt(spread) : std::numeric_limits<double>::infinity();
}

} // namespace kemvo
