#pragma once
// The curve arrays: the potential axis and the curves drawn against it, the current of every
// charge-transfer step and the surface concentration of every species. Point 0 is not used.

#include "shell/RuntimeError.h"

#include <vector>

namespace kemvo {

inline constexpr int kMaxPoints = 4000;

// Values at points 0..kMaxPoints; an index outside raises "Subscript out of range".
class PointArray {
public:
    PointArray() : values_(kMaxPoints + 1, 0.0) {}
    double &operator()(int i) { return values_[checked(i)]; }
    double operator()(int i) const { return values_[checked(i)]; }

private:
    static std::size_t checked(int i) {
        if (i < 0 || i > kMaxPoints)
            throw RuntimeError(kSubscriptOutOfRange);
        return static_cast<std::size_t>(i);
    }
    std::vector<double> values_;
};

// Values at points 0..kMaxPoints by columns 0..Columns-1.
template <int Columns> class PointTable {
public:
    static constexpr int kColumns = Columns;
    PointTable() : values_(static_cast<std::size_t>(kMaxPoints + 1) * Columns, 0.0) {}
    double &operator()(int i, int k) { return values_[checked(i, k)]; }
    double operator()(int i, int k) const { return values_[checked(i, k)]; }

private:
    static std::size_t checked(int i, int k) {
        if (i < 0 || i > kMaxPoints || k < 0 || k >= Columns)
            throw RuntimeError(kSubscriptOutOfRange);
        return static_cast<std::size_t>(i) * Columns + static_cast<std::size_t>(k);
    }
    std::vector<double> values_;
};

struct CurveStore {
    PointArray potential;          // [V] the x axis shared by every curve
    PointTable<6> curves;          // displayed value of curve k = 1..5 at point i
    PointTable<7> reactionCurrent; // [A] current of step r; column chargeCount+1 the total
    PointTable<7> surfaceConc;     // [mol/L] surface concentration of species j
};

} // namespace kemvo
