#pragma once
// Dense and block-tridiagonal linear algebra for the finite-difference simulation (and the
// fit): Gauss-Jordan inversion with full pivoting, the matrix product, and the solve of the
// box system closed at the electrode by P c0 = Q c1.

#include "shell/RuntimeError.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <functional>
#include <string>

namespace kemvo {

inline constexpr const char* kInverseMatrixError = "Error: inverse matrix";

// Receives "Error: inverse matrix" when an inversion meets a singular matrix.
using MatrixMessage = std::function<void(const std::string&)>;

// The historical storage of square matrices: 6 x 6, of which the leading n x n part is used.
inline constexpr std::size_t kMatrixStorage = 6;
using Matrix = std::array<std::array<double, kMatrixStorage>, kMatrixStorage>;

// Largest order the inversion's work array holds.
inline constexpr int kMaxInversionOrder = 5;
using InversionWork = std::array<double, kMaxInversionOrder * kMaxInversionOrder>;

// Inverts the leading order x order part of `work` (row-major, row length `order`) in place.
// Returns false, with `work` in an unspecified state, when a pivot is negligible (m + 1 == 1).
bool gaussJordanInvert(InversionWork& work, int order);

// Replaces the leading order x order part of `matrix` by its inverse. A singular matrix is
// reported through `message` and left unchanged; the result tells which happened.
template <std::size_t N>
bool invertMatrix(std::array<std::array<double, N>, N>& matrix, int order,
                  const MatrixMessage& message) {
    if (order < 0 || order > kMaxInversionOrder || order > static_cast<int>(N))
        throw RuntimeError(kSubscriptOutOfRange);
    InversionWork work{};
    for (int i = 0; i < order; ++i)
        for (int j = 0; j < order; ++j)
            work[i * order + j] = matrix[i][j];
    if (!gaussJordanInvert(work, order)) {
        if (message)
            message(kInverseMatrixError);
        return false;
    }
    for (int i = 0; i < order; ++i)
        for (int j = 0; j < order; ++j)
            matrix[i][j] = work[i * order + j];
    return true;
}

// result = left (rows x shared) times right (shared x columns); result is overwritten.
template <std::size_t N>
void multiplyMatrices(const std::array<std::array<double, N>, N>& left,
                      const std::array<std::array<double, N>, N>& right, int rows, int shared,
                      int columns, std::array<std::array<double, N>, N>& result) {
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < columns; ++j) {
            double sum = 0.0;
            for (int k = 0; k < shared; ++k)
                sum += left[i][k] * right[k][j];
            result[i][j] = sum;
        }
}

// Positions of the concentration profile: 0 the electrode surface, 1..boxes the boxes,
// boxes + 1 the bulk value at the far end.
inline constexpr int kMaxPositions = 101;
inline constexpr int kMaxBoxes = kMaxPositions - 2;

// Solves, once per time step, the system over boxes k = 1..M for the species vectors c(k):
//   -la(k) c(k-1) + B_k c(k) - lb(k) c(k+1) = c_old(k),   with c(M+1) the fixed bulk value,
//   P c(0) = Q c(1)                                         at the electrode.
// The box blocks B_k and Q do not change within a run, so the blocks eliminated from the far
// end, R_M = B_M and R_k = B_k - la(k+1) lb(k) R_(k+1)^-1, their inverses and R_1 Q^-1 are
// formed once by prepare(); each solve is then products with vectors plus the closure.
// A singular block is reported and used uninverted, so the run goes on.
template <int S> class BlockTridiagonalSolver {
public:
    using Vector = std::array<double, S>;
    using Block = std::array<Vector, S>;
    using Profile = std::array<Vector, kMaxPositions>;
    using Coefficients = std::array<double, kMaxPositions>;
    using Blocks = std::array<Block, kMaxPositions>;

    // la, lb and blocks are read at 1..boxes.
    void prepare(int boxes, const Coefficients& la, const Coefficients& lb, const Blocks& blocks,
                 const Block& q, const MatrixMessage& message) {
        if (boxes < 1 || boxes > kMaxBoxes)
            throw RuntimeError(kSubscriptOutOfRange);
        boxes_ = boxes;
        la_ = la;
        Block eliminated = blocks[boxes];
        for (int k = boxes; k >= 1; --k) {
            if (k < boxes) {
                const double coupling = la[k + 1] * lb[k];
                eliminated = blocks[k];
                for (int s = 0; s < S; ++s)
                    for (int t = 0; t < S; ++t)
                        eliminated[s][t] -= coupling * inverse_[k + 1][s][t];
            }
            inverse_[k] = eliminated;
            invertMatrix(inverse_[k], S, message);
        }
        for (int k = 1; k < boxes; ++k)
            for (int s = 0; s < S; ++s)
                for (int t = 0; t < S; ++t)
                    forward_[k][s][t] = lb[k] * inverse_[k + 1][s][t];
        farEndCoupling_ = lb[boxes];
        Block qInverse = q;
        invertMatrix(qInverse, S, message);
        closure_ = product(eliminated, qInverse);
    }

    // profile: in the old concentrations at 0..M and the bulk at M + 1; out the new ones at
    // 0..M. p is the electrode matrix P of this time step.
    void solve(Profile& profile, const Block& p, const MatrixMessage& message) {
        const int m = boxes_;
        for (int s = 0; s < S; ++s)
            rhs_[m][s] = profile[m][s] + farEndCoupling_ * profile[m + 1][s];
        for (int k = m - 1; k >= 1; --k) {
            const Vector carried = apply(forward_[k], rhs_[k + 1]);
            for (int s = 0; s < S; ++s)
                rhs_[k][s] = profile[k][s] + carried[s];
        }
        Block x = product(closure_, p);
        for (int s = 0; s < S; ++s)
            x[s][s] -= la_[1];
        invertMatrix(x, S, message);
        profile[0] = apply(x, rhs_[1]);
        for (int k = 1; k <= m; ++k) {
            Vector v;
            for (int s = 0; s < S; ++s)
                v[s] = la_[k] * profile[k - 1][s] + rhs_[k][s];
            profile[k] = apply(inverse_[k], v);
        }
    }

private:
    static Vector apply(const Block& a, const Vector& v) {
        Vector result;
        for (int s = 0; s < S; ++s) {
            double sum = 0.0;
            for (int t = 0; t < S; ++t)
                sum += a[s][t] * v[t];
            result[s] = sum;
        }
        return result;
    }

    static Block product(const Block& a, const Block& b) {
        Block result;
        multiplyMatrices(a, b, S, S, S, result);
        return result;
    }

    int boxes_ = 0;
    double farEndCoupling_ = 0.0;
    Coefficients la_{};
    Blocks inverse_{}; // R_k^-1 (R_k itself where it is singular)
    Blocks forward_{}; // lb(k) R_(k+1)^-1
    Block closure_{};  // R_1 Q^-1
    Profile rhs_{};    // g_k
};

} // namespace kemvo
