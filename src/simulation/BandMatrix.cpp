#include "simulation/BandMatrix.h"

#include "shell/RuntimeError.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

namespace kemvo {

BandMatrix::BandMatrix(int size, int halfWidth)
    : n_(size), w_(halfWidth),
      a_(static_cast<std::size_t>(size) * static_cast<std::size_t>(2 * halfWidth + 1), 0.0) {}

void BandMatrix::factorise() {
    for (int k = 0; k < n_; ++k) {
        const double pivot = a_[index(k, k)];
        if (!(pivot != 0))
            throw RuntimeError(kDivisionByZero);
        const int last = std::min(n_ - 1, k + w_);
        const double *pivotRow = &a_[index(k, k)];
        for (int i = k + 1; i <= last; ++i) {
            double *row = &a_[index(i, k)];
            const double factor = *row / pivot;
            *row = factor;
            if (factor == 0)
                continue;
            // Row i's entries of columns k+1..last follow its entry (i, k), as the pivot row's
            // follow (k, k).
            for (int j = 1; j <= last - k; ++j)
                row[j] -= factor * pivotRow[j];
        }
    }
    // The factors by columns, so that the substitutions run as vectorisable updates.
    const auto w = static_cast<std::size_t>(w_);
    lower_.assign(static_cast<std::size_t>(n_) * w, 0.0);
    upper_.assign(static_cast<std::size_t>(n_) * w, 0.0);
    inverseDiagonal_.resize(static_cast<std::size_t>(n_));
    for (int k = 0; k < n_; ++k) {
        const auto column = static_cast<std::size_t>(k) * w;
        for (int m = 0; m < w_; ++m) {
            if (k + 1 + m < n_)
                lower_[column + static_cast<std::size_t>(m)] = a_[index(k + 1 + m, k)];
            if (k - w_ + m >= 0)
                upper_[column + static_cast<std::size_t>(m)] = a_[index(k - w_ + m, k)];
        }
        inverseDiagonal_[static_cast<std::size_t>(k)] = 1.0 / a_[index(k, k)];
    }
}

void BandMatrix::solve(double *x) const {
    const auto w = static_cast<std::size_t>(w_);
    for (int k = 0; k < n_; ++k) {
        const double xk = x[k];
        const double *l = &lower_[static_cast<std::size_t>(k) * w];
        double *below = x + k + 1;
        const int count = std::min(w_, n_ - 1 - k);
        for (int m = 0; m < count; ++m)
            below[m] -= l[m] * xk;
    }
    for (int k = n_ - 1; k >= 0; --k) {
        const double xk = (x[k] *= inverseDiagonal_[static_cast<std::size_t>(k)]);
        const int start = std::max(0, k - w_);
        const double *u = &upper_[static_cast<std::size_t>(k) * w] + (start - (k - w_));
        double *above = x + start;
        for (int m = 0; m < k - start; ++m)
            above[m] -= u[m] * xk;
    }
}

void DenseLu::factorise(std::vector<double> m, int n) {
    n_ = n;
    lu_ = std::move(m);
    pivot_.assign(static_cast<std::size_t>(n), 0);
    for (int k = 0; k < n; ++k) {
        int best = k;
        for (int i = k + 1; i < n; ++i)
            if (std::fabs(lu_[i * n + k]) > std::fabs(lu_[best * n + k]))
                best = i;
        if (!(lu_[best * n + k] != 0))
            throw RuntimeError(kDivisionByZero);
        pivot_[k] = best;
        if (best != k)
            for (int j = 0; j < n; ++j)
                std::swap(lu_[k * n + j], lu_[best * n + j]);
        for (int i = k + 1; i < n; ++i) {
            const double factor = lu_[i * n + k] / lu_[k * n + k];
            lu_[i * n + k] = factor;
            for (int j = k + 1; j < n; ++j)
                lu_[i * n + j] -= factor * lu_[k * n + j];
        }
    }
}

void DenseLu::solve(double *b) const {
    const int n = n_;
    for (int k = 0; k < n; ++k)
        std::swap(b[k], b[pivot_[k]]);
    for (int k = 0; k < n; ++k)
        for (int i = k + 1; i < n; ++i)
            b[i] -= lu_[i * n + k] * b[k];
    for (int i = n - 1; i >= 0; --i) {
        for (int j = i + 1; j < n; ++j)
            b[i] -= lu_[i * n + j] * b[j];
        b[i] /= lu_[i * n + i];
    }
}

} // namespace kemvo
