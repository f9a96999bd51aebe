#include "analysis/SemiIntegration.h"

#include "numerics/ConvolutionWeights.h"

#include <algorithm>
#include <utility>

namespace kemvo {

void semiIntegrateNodes(std::vector<double> &y, double dt) {
    const int count = static_cast<int>(y.size());
    const ConvolutionWeights weights = ConvolutionWeights::semiIntegral(count, dt);
    std::vector<double> integral(y.size(), 0.0);
    for (int k = 1; k < count; ++k)
        integral[static_cast<std::size_t>(k)] = weights.at(y, k);
    y = std::move(integral);
}

void semiDifferentiateNodes(std::vector<double> &y, double dt) {
    const int count = static_cast<int>(y.size());
    if (count < 2) {
        std::fill(y.begin(), y.end(), 0.0);
        return;
    }
    const ConvolutionWeights weights = ConvolutionWeights::semiIntegral(count, dt);
    std::vector<double> g(y.size(), 0.0);
    // Node 1: the first interval constant, g(0) = g(1).
    g[1] = y[1] / (weights.first(1) + weights.hat(0));
    g[0] = g[1];
    for (int k = 2; k < count; ++k) {
        const double known = weights.first(k) * g[0] + weights.history(g, k);
        g[static_cast<std::size_t>(k)] = (y[static_cast<std::size_t>(k)] - known) / weights.hat(0);
    }
    y = std::move(g);
}

} // namespace kemvo
