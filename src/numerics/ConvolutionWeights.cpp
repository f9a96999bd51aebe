#include "numerics/ConvolutionWeights.h"

#include "shell/Constants.h"

#include <algorithm>
#include <cmath>

namespace kemvo {

double dotProduct(const double *a, const double *b, int length) {
    // Four independent partial sums, so that the quadratic convolutions are not held up by the
    // latency of one long chain of additions.
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

namespace {
std::vector<double> tabulated(int last, double dt, const std::function<double(double)> &K) {
    std::vector<double> table(static_cast<std::size_t>(last) + 1, 0.0);
    for (int m = 0; m <= last; ++m)
        table[static_cast<std::size_t>(m)] = K(m * dt);
    return table;
}
} // namespace

ConvolutionWeights::ConvolutionWeights(int nodes, double dt,
                                       const std::function<double(double)> &K1,
                                       const std::function<double(double)> &K2)
    : ConvolutionWeights(dt, tabulated(std::max(nodes, 1), dt, K1),
                         tabulated(std::max(nodes, 1), dt, K2)) {}

ConvolutionWeights::ConvolutionWeights(double dt, const std::vector<double> &K1,
                                       const std::vector<double> &K2)
    : last_(static_cast<int>(K2.size()) - 1), reversed_(K2.size(), 0.0), first_(K2.size(), 0.0) {
    auto K2at = [&](int m) { return K2[static_cast<std::size_t>(m)]; };
    // The hat of node k - m spans (k - m - 1, k - m + 1) dt; against the kernel it integrates
    // to the second difference of K2 at m, divided by dt. The newest node has only its left half.
    reversed_[static_cast<std::size_t>(last_)] = K2at(1) / dt;
    for (int m = 1; m < last_; ++m)
        reversed_[static_cast<std::size_t>(last_ - m)] =
            (K2at(m + 1) - 2 * K2at(m) + K2at(m - 1)) / dt;
    // The first node has only the right half of its hat, which lies at distances (k-1, k) dt.
    for (int k = 1; k <= last_; ++k)
        first_[static_cast<std::size_t>(k)] =
            K1[static_cast<std::size_t>(k)] - (K2at(k) - K2at(k - 1)) / dt;
}

ConvolutionWeights ConvolutionWeights::semiIntegral(int nodes, double dt) {
    // k = 1/sqrt(pi t): K1 = 2 sqrt(t/pi), K2 = (4/3) t^1.5 / sqrt(pi).
    const double rootPi = std::sqrt(kPi);
    return ConvolutionWeights(
        nodes, dt, [rootPi](double t) { return 2 * std::sqrt(t) / rootPi; },
        [rootPi](double t) { return 4.0 / 3.0 * t * std::sqrt(t) / rootPi; });
}

double ConvolutionWeights::history(const std::vector<double> &y, int k) const {
    if (k < 2)
        return 0;
    // hat(k - j) = reversed_[last_ - k + j] for j = 1..k-1
    return dotProduct(reversed_.data() + (last_ - k + 1), y.data() + 1, k - 1);
}

double ConvolutionWeights::at(const std::vector<double> &y, int k) const {
    if (k < 1)
        return 0;
    return first(k) * y[0] + history(y, k) + hat(0) * y[static_cast<std::size_t>(k)];
}

} // namespace kemvo
