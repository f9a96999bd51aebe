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
#include <utility>

namespace kemvo {

inline constexpr const char *kInverseMatrixError = "Error: inverse matrix";

// Receives "Error: inverse matrix" when an inversion meets a singular matrix.
using MatrixMessage = std::function<void(const std::string &)>;

// The historical storage of square matrices: 6 x 6, of which the leading n x n part is used.
inline constexpr std::size_t kMatrixStorage = 6;
using Matrix = std::array<std::array<double, kMatrixStorage>, kMatrixStorage>;

// Largest order the inversion handles (its historical work array held 5 x 5 entries).
inline constexpr int kMaxInversionOrder = 5;

template <int N> using SquareArray = std::array<std::array<double, N>, N>;

// Row operations of the inversion, written out at compile time.
template <std::size_t N, std::size_t... J>
void scaleRow(std::array<double, N> &row, double factor, std::index_sequence<J...>) {
    ((row[J] *= factor), ...);
}

template <std::size_t N, std::size_t... J>
void subtractRow(std::array<double, N> &row, double factor, const std::array<double, N> &pivotRow,
                 std::index_sequence<J...>) {
    ((row[J] -= factor * pivotRow[J]), ...);
}

// Inverts `a` in place by Gauss-Jordan elimination with full pivoting. Returns false, with `a`
// in an unspecified state, when the largest remaining entry m is negligible (m + 1 == 1).
template <int N> bool gaussJordanInvert(SquareArray<N> &a) {
    std::array<int, N> pivotRow{};
    std::array<int, N> pivotColumn{};
    for (int k = 0; k < N; ++k) {
        // Rows k..N-1 in order, within a row columns k..N-1; a later entry wins only when
        // strictly larger, so among equal magnitudes the first one met is the pivot.
        int row = k;
        int column = k;
        double magnitude = -1.0;
        for (int i = k; i < N; ++i)
            for (int j = k; j < N; ++j)
                if (std::abs(a[i][j]) > magnitude) {
                    magnitude = std::abs(a[i][j]);
                    row = i;
                    column = j;
                }
        if (magnitude + 1.0 == 1.0)
            return false;
        std::swap(a[row], a[k]);
        for (int i = 0; i < N; ++i)
            std::swap(a[i][column], a[i][k]);
        pivotRow[k] = row;
        pivotColumn[k] = column;

        // Row k is divided by the pivot, whose place receives 1/p; every other row loses its
        // multiple of row k, and its entry in column k becomes -a(i,k)/p.
        const double reciprocal = 1.0 / a[k][k];
        a[k][k] = 1.0;
        scaleRow(a[k], reciprocal, std::make_index_sequence<N>{});
        for (int i = 0; i < N; ++i) {
            if (i == k)
                continue;
            const double factor = a[i][k];
            a[i][k] = 0.0;
            subtractRow(a[i], factor, a[k], std::make_index_sequence<N>{});
        }
    }
    // The inverse of the interchanged matrix becomes that of the original one when the
    // interchanges are undone in reverse, each row swap as a column swap and vice versa.
    for (int k = N - 1; k >= 0; --k) {
        for (int i = 0; i < N; ++i)
            std::swap(a[i][pivotRow[k]], a[i][k]);
        std::swap(a[pivotColumn[k]], a[k]);
    }
    return true;
}

// Inverts the leading K x K part of `matrix`, or reports it singular and leaves it unchanged.
template <int K, std::size_t N>
bool invertLeading(std::array<std::array<double, N>, N> &matrix, const MatrixMessage &message) {
    static_assert(K <= static_cast<int>(N));
    SquareArray<K> work;
    for (int i = 0; i < K; ++i)
        for (int j = 0; j < K; ++j)
            work[i][j] = matrix[i][j];
    if (!gaussJordanInvert<K>(work)) {
        if (message)
            message(kInverseMatrixError);
        return false;
    }
    for (int i = 0; i < K; ++i)
        for (int j = 0; j < K; ++j)
            matrix[i][j] = work[i][j];
    return true;
}

// Replaces the leading order x order part of `matrix` by its inverse. A singular matrix is
// reported through `message` and left unchanged; the result tells which happened.
template <std::size_t N>
bool invertMatrix(std::array<std::array<double, N>, N> &matrix, int order,
                  const MatrixMessage &message) {
    if (order < 0 || order > kMaxInversionOrder || order > static_cast<int>(N))
        throw RuntimeError(kSubscriptOutOfRange);
    if (order == 1)
        return invertLeading<1>(matrix, message);
    if constexpr (N >= 2)
        if (order == 2)
            return invertLeading<2>(matrix, message);
    if constexpr (N >= 3)
        if (order == 3)
            return invertLeading<3>(matrix, message);
    if constexpr (N >= 4)
        if (order == 4)
            return invertLeading<4>(matrix, message);
    if constexpr (N >= 5)
        if (order == 5)
            return invertLeading<5>(matrix, message);
    return true; // order 0: nothing to invert
}

// result = left (rows x shared) times right (shared x columns); result is overwritten.
template <std::size_t N>
void multiplyMatrices(const std::array<std::array<double, N>, N> &left,
                      const std::array<std::array<double, N>, N> &right, int rows, int shared,
                      int columns, std::array<std::array<double, N>, N> &result) {
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
//   -La(k) c(k-1) + B_k c(k) - Lb(k) c(k+1) = c_old(k),   with c(M+1) the fixed bulk value,
//   P c(0) = Q c(1)                                         at the electrode,
// where La(k) and Lb(k) are diagonal: each species has its own neighbour coefficients. The box
// blocks B_k and Q do not change within a time step of given length, so the blocks eliminated
// from the far end, R_M = B_M and R_k = B_k - Lb(k) R_(k+1)^-1 La(k+1), their inverses and
// R_1 Q^-1 are formed once by prepare(); each solve is then products with vectors plus the
// closure. The elimination does not involve P, so a solve is split into eliminate(), any
// number of surface() trials with different P, and substitute().
// A singular block is reported and used uninverted, so the run goes on.
template <int S> class BlockTridiagonalSolver {
public:
    using Vector = std::array<double, S>;
    using Block = std::array<Vector, S>;
    using Profile = std::array<Vector, kMaxPositions>;
    using Coefficients = std::array<Vector, kMaxPositions>;
    using Blocks = std::array<Block, kMaxPositions>;

    // la, lb and blocks are read at 1..boxes.
    void prepare(int boxes, const Coefficients &la, const Coefficients &lb, const Blocks &blocks,
                 const Block &q, const MatrixMessage &message) {
        if (boxes < 1 || boxes > kMaxBoxes)
            throw RuntimeError(kSubscriptOutOfRange);
        boxes_ = boxes;
        la_ = la;
        Block eliminated = blocks[boxes];
        for (int k = boxes; k >= 1; --k) {
            if (k < boxes) {
                eliminated = blocks[k];
                for (int s = 0; s < S; ++s)
                    for (int t = 0; t < S; ++t)
                        eliminated[s][t] -= la[k + 1][t] * lb[k][s] * inverse_[k + 1][s][t];
            }
            inverse_[k] = eliminated;
            invertLeading<S>(inverse_[k], message);
        }
        for (int k = 1; k < boxes; ++k)
            for (int s = 0; s < S; ++s)
                for (int t = 0; t < S; ++t)
                    forward_[k][s][t] = lb[k][s] * inverse_[k + 1][s][t];
        // Without chemical coupling every block is diagonal and the species run apart.
        diagonal_ = true;
        for (int k = 1; k <= boxes; ++k)
            for (int s = 0; s < S; ++s) {
                for (int t = 0; t < S; ++t)
                    if (s != t && (inverse_[k][s][t] != 0.0 || forward_[k][s][t] != 0.0))
                        diagonal_ = false;
                inverseDiagonal_[k][s] = inverse_[k][s][s];
                forwardDiagonal_[k][s] = forward_[k][s][s];
            }
        farEndCoupling_ = lb[boxes];
        Block qInverse = q;
        invertLeading<S>(qInverse, message);
        closure_ = product(eliminated, qInverse);
        closureValid_ = false;
    }

    // One whole time step. profile: in the old concentrations at 0..M and the bulk at M + 1;
    // out the new ones at 0..M. p is the electrode matrix P of this time step.
    void solve(Profile &profile, const Block &p, const MatrixMessage &message) {
        eliminate(profile);
        profile[0] = surface(p, message);
        substitute(profile);
    }

    // Carries the old profile (with the bulk at M + 1) to box 1: g_M .. g_1.
    void eliminate(const Profile &profile) {
        const int m = boxes_;
        for (int s = 0; s < S; ++s)
            rhs_[m][s] = profile[m][s] + farEndCoupling_[s] * profile[m + 1][s];
        if (diagonal_) {
            for (int k = m - 1; k >= 1; --k)
                for (int s = 0; s < S; ++s)
                    rhs_[k][s] = profile[k][s] + forwardDiagonal_[k][s] * rhs_[k + 1][s];
            return;
        }
        for (int k = m - 1; k >= 1; --k) {
            const Vector carried = apply(forward_[k], rhs_[k + 1]);
            for (int s = 0; s < S; ++s)
                rhs_[k][s] = profile[k][s] + carried[s];
        }
    }

    // The surface concentrations c(0) that the electrode matrix p gives after eliminate():
    // (R_1 Q^-1 P - La(1)) c(0) = g_1. P mostly stays from step to step, so the inverse of the
    // last closure is kept.
    Vector surface(const Block &p, const MatrixMessage &message) {
        if (!closureValid_ || p != closureP_) {
            Block x = product(closure_, p);
            for (int s = 0; s < S; ++s)
                x[s][s] -= la_[1][s];
            invertLeading<S>(x, message);
            closureP_ = p;
            closureInverse_ = x;
            closureValid_ = true;
        }
        return apply(closureInverse_, rhs_[1]);
    }

    // The boxes 1..M from the surface concentrations in profile[0], outwards.
    void substitute(Profile &profile) const {
        if (diagonal_) {
            for (int k = 1; k <= boxes_; ++k)
                for (int s = 0; s < S; ++s)
                    profile[k][s] =
                        inverseDiagonal_[k][s] * (la_[k][s] * profile[k - 1][s] + rhs_[k][s]);
            return;
        }
        for (int k = 1; k <= boxes_; ++k) {
            Vector v;
            for (int s = 0; s < S; ++s)
                v[s] = la_[k][s] * profile[k - 1][s] + rhs_[k][s];
            profile[k] = apply(inverse_[k], v);
        }
    }

private:
    // a v, written out at compile time: the products with vectors are the inner loop of every
    // time step.
    static Vector apply(const Block &a, const Vector &v) {
        return applyRows(a, v, std::make_index_sequence<S>{});
    }

    template <std::size_t... I>
    static Vector applyRows(const Block &a, const Vector &v, std::index_sequence<I...> rows) {
        return {dot(a[I], v, rows)...};
    }

    template <std::size_t... I>
    static double dot(const Vector &row, const Vector &v, std::index_sequence<I...>) {
        return (... + (row[I] * v[I]));
    }

    static Block product(const Block &a, const Block &b) {
        Block result;
        multiplyMatrices(a, b, S, S, S, result);
        return result;
    }

    int boxes_ = 0;
    Vector farEndCoupling_{};
    Coefficients la_{};
    Blocks inverse_{}; // R_k^-1 (R_k itself where it is singular)
    Blocks forward_{}; // Lb(k) R_(k+1)^-1
    bool diagonal_ = false;
    Coefficients inverseDiagonal_{}; // the diagonals of inverse_ and forward_
    Coefficients forwardDiagonal_{};
    Block closure_{}; // R_1 Q^-1
    bool closureValid_ = false;
    Block closureP_{};       // the last P
    Block closureInverse_{}; // (R_1 Q^-1 P - La(1))^-1 for it
    Profile rhs_{};          // g_k
};

} // namespace kemvo
