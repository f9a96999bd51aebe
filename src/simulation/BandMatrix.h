#pragma once
// Banded and small dense linear systems of the two-dimensional microdisc simulation.

#include <vector>

namespace kemvo {

// A square band matrix of half-width w, factorised in place without pivoting (the box schemes
// give M-matrices: a positive diagonal, non-positive neighbours, dominant after a positive
// scaling of the species), then solved for any number of right-hand sides.
class BandMatrix {
public:
    BandMatrix() = default;
    BandMatrix(int size, int halfWidth);

    // Entry (row, column); both within the band.
    double &at(int row, int column) { return a_[index(row, column)]; }
    int size() const { return n_; }

    // LU factors in place; a zero pivot raises RuntimeError ("Division by zero").
    void factorise();
    // Overwrites x (size() values) with the solution of the factorised system.
    void solve(double *x) const;

private:
    std::size_t index(int row, int column) const {
        return static_cast<std::size_t>(row) * (2 * w_ + 1) +
               static_cast<std::size_t>(column - row + w_);
    }
    int n_ = 0;
    int w_ = 0;
    std::vector<double> a_;
    // After factorise(): L below and U above the diagonal by columns, w entries each, and the
    // reciprocal diagonal.
    std::vector<double> lower_;
    std::vector<double> upper_;
    std::vector<double> inverseDiagonal_;
};

// A small dense matrix factorised by elimination with partial pivoting.
class DenseLu {
public:
    // m: n x n, row-major. A matrix without a non-zero pivot raises RuntimeError.
    void factorise(std::vector<double> m, int n);
    // Overwrites b (n values) with the solution.
    void solve(double *b) const;

private:
    int n_ = 0;
    std::vector<double> lu_;
    std::vector<int> pivot_;
};

} // namespace kemvo
