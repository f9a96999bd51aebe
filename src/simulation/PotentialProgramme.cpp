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

// Whole steps [signed] from E start to the potential e, rounded half to even like the first
// sweep's; a distance of 32767 steps or more raises RuntimeError ("Overflow").
long long stepsTo(const ExperimentState &state, double e, int sign) {
    const double steps = std::fabs(checkedDivide(e - state.eStart, state.eStep));
    if (steps >= std::numeric_limits<Int16>::max())
        throw RuntimeError(kOverflow);
    return sign * static_cast<long long>(roundToInt16(steps));
}

int signTowards(const ExperimentState &state, double e) {
    return e > state.eStart ? 1 : -1;
}

// Vertices of the programme: two to a cycle, at least one.
int vertexCount(const ExperimentState &state) {
    return std::max(1, static_cast<int>(std::nearbyint(2 * state.cycles)));
}

double pointsOf(const std::vector<long long> &turns) {
    double count = 0;
    for (std::size_t s = 1; s < turns.size(); ++s)
        count += static_cast<double>(std::llabs(turns[s] - turns[s - 1])) + 1;
    return count;
}

} // namespace

int pointsPerSweepOf(const ExperimentState &state) {
    double steps = std::fabs(checkedDivide(state.eEnd - state.eStart, state.eStep));
    if (steps >= std::numeric_limits<Int16>::max())
        throw RuntimeError(kOverflow);
    return roundToInt16(steps) + 1;
}

double secondVertexOf(const ExperimentState &state) {
    return state.eVertex2.value_or(state.eStart);
}

double finalPotentialOf(const ExperimentState &state) {
    return state.eFinal.value_or(state.eStart);
}

std::vector<long long> turningSteps(const ExperimentState &state) {
    const bool sweep = state.technique == 1;
    const long long end = stepsTo(state, state.eEnd, state.eEnd > state.eStart ? 1 : -1);
    const long long second =
        sweep ? stepsTo(state, secondVertexOf(state), signTowards(state, secondVertexOf(state)))
              : 0;
    const long long final =
        sweep ? stepsTo(state, finalPotentialOf(state), signTowards(state, finalPotentialOf(state)))
              : 0;
    std::vector<long long> turns{0};
    const int vertices = vertexCount(state);
    for (int v = 1; v <= vertices; ++v)
        turns.push_back(v % 2 == 1 ? end : second);
    if (state.cycles >= 1 && final != turns.back())
        turns.push_back(final);
    return turns;
}

int turningPointCount(const ExperimentState &state) {
    if (state.technique != 1)
        return 0;
    return static_cast<int>(turningSteps(state).size()) - 2;
}

double vertexHoldTime(const ExperimentState &state) {
    if (!(state.vertexHold > 0))
        return 0;
    return checkedFinite(turningPointCount(state) * state.vertexHold);
}

std::int32_t pointCountOf(const ExperimentState &state, int) {
    const double count = pointsOf(turningSteps(state));
    return count > kMaxPoints ? kMaxPoints + 1 : static_cast<std::int32_t>(count);
}

// Counted in doubles, so that any programme too long for the store is named with its size.
void requireProgrammeInStore(const ExperimentState &state) {
    const double count = pointsOf(turningSteps(state));
    if (count > kMaxPoints)
        throw RuntimeError("the potential programme needs " + generalNumber(count) +
                           " points, more than 4000 points: make E step larger, the range "
                           "from E start to E end narrower, or choose fewer cycles");
}

void buildProgramme(ExperimentState &state, CurveStore &store) {
    const std::vector<long long> turns = turningSteps(state);
    state.pointsPerSweep = static_cast<Int16>(std::llabs(turns[1]) + 1);
    state.sweeps.clear();
    const ProgrammePotentials potentials(state.eStart, state.eStep, 1);
    int point = 0;
    for (std::size_t s = 1; s < turns.size(); ++s) {
        const long long from = turns[s - 1];
        const long long to = turns[s];
        const int step = to > from ? 1 : -1;
        ProgrammeSweep sweep;
        sweep.first = point + 1;
        if (to != from)
            sweep.direction = static_cast<Int16>(step);
        else // a sweep without a step runs against the one before
            sweep.direction =
                static_cast<Int16>(s == 1 ? state.scanSign : -state.sweeps.back().direction);
        for (long long k = from;; k += step) {
            store.potential(++point) = potentials.at(static_cast<int>(k));
            if (k == to)
                break;
        }
        sweep.last = point;
        state.sweeps.push_back(sweep);
    }
    state.pointCount = point;
}

bool forwardSweep(const ExperimentState &state, int i) {
    for (const ProgrammeSweep &sweep : state.sweeps)
        if (i >= sweep.first && i <= sweep.last)
            return sweep.direction == state.scanSign;
    // A programme written without its sweeps: E start -> E end and back, repeated.
    const int np = state.pointsPerSweep;
    return i <= np || (i > 2 * np && i <= 3 * np);
}

double pulseWithScan(const ExperimentState &state, int i) {
    return forwardSweep(state, i) ? state.pulseAmplitude : -state.pulseAmplitude;
}

} // namespace kemvo
