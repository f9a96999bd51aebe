#include "analysis/CurveTransforms.h"

#include "analysis/SemiIntegration.h"
#include "shell/Constants.h"
#include "simulation/SweepInstants.h"

#include <cmath>
#include <functional>

namespace kemvo {
namespace {

// Time step [s] between two instants of the sweep.
double instantStep(const PointArray &potential, double scanRate) {
    const double h = samplingStep(potential);
    if (h == 0 || scanRate == 0)
        throw RuntimeError(kDivisionByZero);
    return checkedFinite(h / std::fabs(scanRate));
}

// Applies an operation on the instants to the points 1..n: points of one instant enter with
// their mean and all receive the instant's result.
void onInstants(std::vector<double> &y, const PointArray &potential, int n,
                const std::function<void(std::vector<double> &)> &operation) {
    const SweepInstants instants = sweepInstants(potential, n);
    std::vector<double> sums(static_cast<std::size_t>(instants.count), 0.0);
    std::vector<int> counts(static_cast<std::size_t>(instants.count), 0);
    for (int i = 1; i <= n; ++i) {
        const auto k = static_cast<std::size_t>(instants.instantOf[static_cast<std::size_t>(i)]);
        sums[k] += y[static_cast<std::size_t>(i)];
        counts[k] += 1;
    }
    for (std::size_t k = 0; k < sums.size(); ++k)
        sums[k] /= counts[k];
    operation(sums);
    for (int i = 1; i <= n; ++i)
        y[static_cast<std::size_t>(i)] =
            sums[static_cast<std::size_t>(instants.instantOf[static_cast<std::size_t>(i)])];
}

} // namespace

double samplingStep(const PointArray &potential) {
    return std::fabs(potential(2) - potential(1));
}

void semiIntegrateValues(std::vector<double> &y, const PointArray &potential, int n,
                         double scanRate) {
    if (n < 1)
        return;
    const double dt = instantStep(potential, scanRate);
    onInstants(y, potential, n,
               [dt](std::vector<double> &values) { semiIntegrateNodes(values, dt); });
}

void semiDifferentiateValues(std::vector<double> &y, const PointArray &potential, int n,
                             double scanRate) {
    if (n < 1)
        return;
    const double dt = instantStep(potential, scanRate);
    const double first = y[1];
    onInstants(y, potential, n, [dt, first](std::vector<double> &values) {
        for (double &value : values)
            value -= first;
        semiDifferentiateNodes(values, dt);
        for (double &value : values)
            value += first;
    });
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
