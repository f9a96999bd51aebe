#include "fitting/FitUncertainty.h"

#include <cmath>
#include <cstddef>

namespace kemvo {
namespace {

// A pivot of the unit-diagonal normal matrix below this marks a parameter that the others
// reproduce to within rounding: its variance is not determined.
constexpr double kDependentPivot = 1e-12;
constexpr double kNoInfluence = 1e-20; // the engine's freezing test

std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

using Square = std::vector<std::vector<double>>;

// Inverse of the symmetric positive definite matrix a by its Cholesky factor L L^T. Returns
// the index of a pivot that is too small, or -1 when the inverse was formed.
int choleskyInverse(const Square &a, Square &inverse) {
    const int m = static_cast<int>(a.size());
    Square L(at(m), std::vector<double>(at(m), 0.0));
    for (int j = 0; j < m; ++j) {
        double d = a[at(j)][at(j)];
        for (int k = 0; k < j; ++k)
            d -= L[at(j)][at(k)] * L[at(j)][at(k)];
        if (!(d > kDependentPivot))
            return j;
        L[at(j)][at(j)] = std::sqrt(d);
        for (int i = j + 1; i < m; ++i) {
            double s = a[at(i)][at(j)];
            for (int k = 0; k < j; ++k)
                s -= L[at(i)][at(k)] * L[at(j)][at(k)];
            L[at(i)][at(j)] = s / L[at(j)][at(j)];
        }
    }
    inverse.assign(at(m), std::vector<double>(at(m), 0.0));
    std::vector<double> column(at(m));
    for (int c = 0; c < m; ++c) {
        for (int i = 0; i < m; ++i) { // L y = e_c
            double s = i == c ? 1.0 : 0.0;
            for (int k = 0; k < i; ++k)
                s -= L[at(i)][at(k)] * column[at(k)];
            column[at(i)] = s / L[at(i)][at(i)];
        }
        for (int i = m - 1; i >= 0; --i) { // L^T x = y
            double s = column[at(i)];
            for (int k = i + 1; k < m; ++k)
                s -= L[at(k)][at(i)] * column[at(k)];
            column[at(i)] = s / L[at(i)][at(i)];
        }
        for (int i = 0; i < m; ++i)
            inverse[at(i)][at(c)] = column[at(i)];
    }
    return -1;
}

} // namespace

FitUncertainty estimateUncertainty(const MarquardtProblem &problem, const std::vector<double> &x,
                                   const std::vector<double> &ycalc, double phi) {
    const int np = problem.parameterCount();
    const int n = problem.pointCount();
    FitUncertainty result;
    result.standardError.assign(at(np), std::nullopt);
    result.correlation.assign(at(np), std::vector<double>(at(np), 0.0));
    if (n <= np)
        return result;

    std::vector<double> jacobian;
    result.modelRuns = centralJacobian(problem, x, ycalc, jacobian);
    auto column = [&](int j) { return &jacobian[at(j * n)]; };
    auto product = [&](int j, int k) {
        double sum = 0;
        for (int i = 0; i < n; ++i)
            sum += column(j)[i] * column(k)[i];
        return sum;
    };

    std::vector<int> determined;
    const double influenceFloor = kNoInfluence * problem.measuredSquares();
    for (int j = 0; j < np; ++j) {
        double delta = problem.differenceStep(j, x[at(j)]);
        double diagonal = product(j, j);
        if (problem.free[at(j)] && std::isfinite(diagonal) &&
            delta * delta * diagonal > influenceFloor)
            determined.push_back(j);
    }

    // Scaled to a unit diagonal, the matrix shows dependence whatever the units.
    Square inverse;
    for (;;) {
        const int m = static_cast<int>(determined.size());
        Square a(at(m), std::vector<double>(at(m)));
        for (int p = 0; p < m; ++p)
            for (int q = 0; q < m; ++q)
                a[at(p)][at(q)] = product(determined[at(p)], determined[at(q)]) /
                                  std::sqrt(product(determined[at(p)], determined[at(p)]) *
                                            product(determined[at(q)], determined[at(q)]));
        int dependent = choleskyInverse(a, inverse);
        if (dependent < 0)
            break;
        determined.erase(determined.begin() + dependent);
    }

    // The degrees of freedom are those the curve leaves after the parameters it determines: one
    // without influence or dependent on the others takes none.
    const int m = static_cast<int>(determined.size());
    const double residualVariance = phi / (n - m);
    for (int p = 0; p < m; ++p) {
        const int j = determined[at(p)];
        double variance = residualVariance * inverse[at(p)][at(p)] / product(j, j);
        if (std::isfinite(variance))
            result.standardError[at(j)] = std::sqrt(variance);
        for (int q = 0; q < m; ++q)
            result.correlation[at(j)][at(determined[at(q)])] =
                inverse[at(p)][at(q)] / std::sqrt(inverse[at(p)][at(p)] * inverse[at(q)][at(q)]);
    }
    return result;
}

} // namespace kemvo
