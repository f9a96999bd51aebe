#include "analysis/PeakBaseline.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace kemvo {
namespace {

constexpr int kShortestFoot = 5;
constexpr int kDecayGrid = 400;
constexpr double kLinearSlopeAgreement = 0.3; // the halves' slopes within 30 %

std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

std::span<const double> slice(const std::vector<double> &v, int first, int count) {
    return {v.data() + first, static_cast<std::size_t>(count)};
}

std::optional<Polynomial> typedLine(const SweepData &sweep, const BaselineRange &range) {
    const auto [low, high] = std::minmax(range.from, range.to);
    std::vector<double> E, y;
    for (int i = 0; i < sweep.size(); ++i)
        if (sweep.E[at(i)] >= low && sweep.E[at(i)] <= high) {
            E.push_back(sweep.E[at(i)]);
            y.push_back(sweep.y[at(i)]);
        }
    return fitPolynomial(E, y, 1);
}

} // namespace

FootLine footLine(const SweepData &sweep, int firstPeak, double noise,
                  const std::optional<BaselineRange> &typed) {
    FootLine foot;
    if (typed) {
        foot.line = typedLine(sweep, *typed);
        if (!foot.line)
            foot.why = "no points in range";
        return foot;
    }
    // The wave's steepest rise before the peak ends the foot.
    int steepest = 0;
    double steepestRise = -INFINITY;
    for (int i = 1; i <= firstPeak; ++i) {
        const double rise = sweep.smooth[at(i)] - sweep.smooth[at(i - 1)];
        if (rise > steepestRise) {
            steepestRise = rise;
            steepest = i;
        }
    }
    const int region = steepest;
    if (region < kShortestFoot) {
        foot.why = "no foot";
        return foot;
    }
    const int width = std::max(kShortestFoot, region / 3);
    auto lineOver = [&](int first, int count) {
        return fitPolynomial(slice(sweep.E, first, count), slice(sweep.y, first, count), 1);
    };
    int flattest = -1;
    for (int first = 0; first + width <= region; ++first) {
        auto line = lineOver(first, width);
        if (line && (!foot.line || std::fabs(line->slope()) < std::fabs(foot.line->slope()))) {
            foot.line = line;
            flattest = first;
        }
    }
    if (!foot.line) {
        foot.why = "no foot";
        return foot;
    }
    // A sloping background is linear: the two halves of the foot rise alike. The foot of a
    // wave rises exponentially instead, and a line through it extrapolated to the peak would
    // cut into the peak; then, and where noise hides the slope, the background is flat.
    const int half = (region + 1) / 2;
    const auto early = lineOver(0, half), late = lineOver(half, region + 1 - half);
    const bool linear = early && late && early->slope() * late->slope() > 0 &&
                        std::fabs(early->slope() - late->slope()) <
                            kLinearSlopeAgreement * std::fabs(late->slope());
    const bool hidden = std::fabs(foot.line->slope()) <
                        2 * slopeStandardError(slice(sweep.E, flattest, width), noise);
    if (!linear || hidden) {
        double mean = 0;
        for (int i = flattest; i < flattest + width; ++i)
            mean += sweep.y[at(i)];
        foot.line = Polynomial{0, {mean / width}};
    }
    return foot;
    if (!foot.line)
        foot.why = "no foot";
    return foot;
}

double ForwardDecay::operator()(double tau) const {
    return background + shift + k / std::sqrt(tau - tau0);
}

std::optional<ForwardDecay> forwardDecay(const SweepData &forward, int peak, double background,
                                         const SweepData &back, int anchorPoints) {
    const int vertex = forward.size() - 1;
    const int start = peak + std::max(1, (vertex - peak) / 3);
    if (vertex - start < 2)
        return std::nullopt;
    const double tauPeak = forward.tau[at(peak)];
    const double tauStart = forward.tau[at(start)];
    const double span = forward.tau[at(vertex)] - tauPeak;
    // For an effective start tau0 the best k is linear: k = sum g r / sum g^2, g = (tau -
    // tau0)^-1/2, r = y - background; tau0 is searched on a grid before the fitted points.
    auto fit = [&](double tau0, double &k) {
        double gr = 0, gg = 0, rr = 0;
        for (int i = start; i <= vertex; ++i) {
            const double g = 1 / std::sqrt(forward.tau[at(i)] - tau0);
            const double r = forward.y[at(i)] - background;
            gr += g * r;
            gg += g * g;
            rr += r * r;
        }
        k = gr / gg;
        return rr - gr * k;
    };
    const double lowest = forward.tau.front() - span;
    const double highest = tauStart - 1e-3 * span;
    double bestTau0 = lowest, bestK = 0, best = INFINITY;
    auto search = [&](double from, double to) {
        for (int j = 0; j <= kDecayGrid; ++j) {
            const double tau0 = from + (to - from) * j / kDecayGrid;
            double k = 0;
            const double ssr = fit(tau0, k);
            if (ssr < best && forward.orientation * k > 0) {
                best = ssr;
                bestTau0 = tau0;
                bestK = k;
            }
        }
    };
    search(lowest, highest);
    // Then finer, around the best of the coarse grid.
    const double cell = (highest - lowest) / kDecayGrid;
    search(std::max(lowest, bestTau0 - cell), std::min(highest, bestTau0 + cell));
    if (!std::isfinite(best))
        return std::nullopt;
    ForwardDecay decay{background, bestK, bestTau0, 0};
    int used = 0;
    double shift = 0;
    for (int i = 1; i <= anchorPoints && i < back.size(); ++i, ++used)
        shift += back.y[at(i)] - decay(back.tau[at(i)]);
    decay.shift = used > 0 ? shift / used : 0;
    return decay;
}

} // namespace kemvo
