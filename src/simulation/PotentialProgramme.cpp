#include "simulation/PotentialProgramme.h"

#include "shell/Constants.h"
#include "shell/NumberText.h"
#include "shell/RuntimeError.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kemvo {
namespace {

// Decimal places (0..15) with which x is written exactly as the double it is, or -1.
int decimalPlaces(double x) {
    double scale = 1;
    for (int places = 0; places <= 15; ++places, scale *= 10) {
        const double units = std::nearbyint(x * scale);
        if (!(std::fabs(units) < 0x1p53))
            return -1;
        if (units / scale == x)
            return places;
    }
    return -1;
}

// The potentials E start + sign k E step, each the double nearest the decimal value: worked in
// integer units of the last decimal of both numbers and divided once, so that 0.3 - 4 x 0.005
// reads 0.28 and not 0.27999999999999997. Numbers without a short decimal form (a third, or
// values past 2^53 units) take the plain sum.
class ProgrammePotentials {
public:
    ProgrammePotentials(double start, double step, int sign) : start_(start), step_(sign * step) {
        const int startPlaces = decimalPlaces(start);
        const int stepPlaces = decimalPlaces(step);
        if (startPlaces < 0 || stepPlaces < 0)
            return;
        scale_ = std::pow(10.0, std::max(startPlaces, stepPlaces));
        startUnits_ = std::nearbyint(start * scale_);
        stepUnits_ = sign * std::nearbyint(step * scale_);
        exact_ = true;
    }
    double at(int k) const {
        if (exact_) {
            const double units = startUnits_ + k * stepUnits_;
            if (std::fabs(units) < 0x1p53)
                return checkedFinite(units / scale_);
        }
        return checkedFinite(start_ + k * step_);
    }

private:
    double start_, step_;
    bool exact_ = false;
    double scale_ = 1, startUnits_ = 0, stepUnits_ = 0;
};

} // namespace

int pointsPerSweepOf(const ExperimentState &state) {
    double steps = std::fabs(checkedDivide(state.eEnd - state.eStart, state.eStep));
    if (steps >= std::numeric_limits<Int16>::max())
        throw RuntimeError(kOverflow);
    return roundToInt16(steps) + 1;
}

std::int32_t pointCountOf(const ExperimentState &state, int np) {
    return static_cast<std::int32_t>(std::nearbyint(2.0 * np * state.cycles));
}

// Counted in doubles, so that any programme too long for the store is named with its size.
void requireProgrammeInStore(const ExperimentState &state) {
    const double steps = std::fabs(checkedDivide(state.eEnd - state.eStart, state.eStep));
    const double count = std::nearbyint(2.0 * (std::nearbyint(steps) + 1) * state.cycles);
    if (count > kMaxPoints)
        throw RuntimeError("the potential programme needs " + generalNumber(count) +
                           " points, more than 4000 points: make E step larger, the range "
                           "from E start to E end narrower, or choose fewer cycles");
}

void buildProgramme(ExperimentState &state, CurveStore &store) {
    int np = pointsPerSweepOf(state);
    state.pointsPerSweep = static_cast<Int16>(np);
    state.pointCount = pointCountOf(state, np);

    const ProgrammePotentials potentials(state.eStart, state.eStep, state.scanSign);
    for (int i = 1; i <= np; ++i)
        store.potential(i) = potentials.at(i - 1);
    if (state.cycles == 1 || state.cycles == 2)
        for (int i = 1; i <= np; ++i)
            store.potential(np + i) = store.potential(np + 1 - i);
    if (state.cycles == 2)
        for (int i = 1; i <= 2 * np; ++i)
            store.potential(2 * np + i) = store.potential(i);
}

bool forwardSweep(const ExperimentState &state, int i) {
    const int np = state.pointsPerSweep;
    return i <= np || (i > 2 * np && i <= 3 * np);
}

double pulseWithScan(const ExperimentState &state, int i) {
    return forwardSweep(state, i) ? state.pulseAmplitude : -state.pulseAmplitude;
}

} // namespace kemvo
