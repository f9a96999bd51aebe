#include "simulation/LinearSolver.h"

#include <utility>

namespace kemvo {
namespace {

struct Pivot {
    int row = 0;
    int column = 0;
    double magnitude = 0.0;
};

// Scans rows k..n-1 and, within a row, columns k..n-1; a later entry wins only when strictly
// larger, so among equal magnitudes the first one met is the pivot.
Pivot findPivot(const InversionWork& a, int order, int k) {
    Pivot pivot{k, k, -1.0};
    for (int i = k; i < order; ++i)
        for (int j = k; j < order; ++j)
            if (std::abs(a[i * order + j]) > pivot.magnitude)
                pivot = {i, j, std::abs(a[i * order + j])};
    return pivot;
}

void swapRows(InversionWork& a, int order, int first, int second) {
    for (int j = 0; j < order; ++j)
        std::swap(a[first * order + j], a[second * order + j]);
}

void swapColumns(InversionWork& a, int order, int first, int second) {
    for (int i = 0; i < order; ++i)
        std::swap(a[i * order + first], a[i * order + second]);
}

void eliminate(InversionWork& a, int order, int k) {
    const double reciprocal = 1.0 / a[k * order + k];
    a[k * order + k] = reciprocal;
    for (int j = 0; j < order; ++j)
        if (j != k)
            a[k * order + j] *= reciprocal;
    for (int i = 0; i < order; ++i) {
        if (i == k)
            continue;
        const double factor = a[i * order + k];
        for (int j = 0; j < order; ++j)
            if (j != k)
                a[i * order + j] -= factor * a[k * order + j];
        a[i * order + k] = -factor * reciprocal;
    }
}

} // namespace

bool gaussJordanInvert(InversionWork& work, int order) {
    std::array<Pivot, kMaxInversionOrder> pivots{};
    for (int k = 0; k < order; ++k) {
        const Pivot pivot = findPivot(work, order, k);
        if (pivot.magnitude + 1.0 == 1.0)
            return false;
        swapRows(work, order, pivot.row, k);
        swapColumns(work, order, pivot.column, k);
        eliminate(work, order, k);
        pivots[k] = pivot;
    }
    // The inverse of the interchanged matrix becomes the inverse of the original one when the
    // interchanges are undone in reverse, each row swap as a column swap and vice versa.
    for (int k = order - 1; k >= 0; --k) {
        swapColumns(work, order, pivots[k].row, k);
        swapRows(work, order, pivots[k].column, k);
    }
    return true;
}

} // namespace kemvo
