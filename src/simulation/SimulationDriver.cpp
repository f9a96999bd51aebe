#include "simulation/SimulationDriver.h"

#include "shell/Constants.h"
#include "shell/CurveSlots.h"
#include "shell/NumberText.h"
#include "simulation/ClosedFormCatalogue.h"
#include "simulation/ClosedFormCurrents.h"
#include "simulation/DoubleLayerCharging.h"
#include "simulation/MicrodiscSimulation.h"
#include "simulation/PotentialProgramme.h"

#include <cmath>
#include <string>

namespace kemvo {
namespace {

int totalColumn(const ExperimentState &state) {
    return state.chargeCount + 1;
}

void requireClosedForm(const ExperimentState &state) {
    if (auto refusal = closedFormRefusal(state))
        throw RuntimeError(refusal->description);
}

// The electrodes the finite-difference simulation does not model: its grid has no film
// boundary and no convection.
void requireDigitalElectrode(const ExperimentState &state) {
    if (state.electrode == 7 || state.electrode == 8)
        throw RuntimeError(std::string("the digital simulation has no ") +
                           (state.electrode == 7 ? "thin film" : "rotating disk") +
                           " electrode: untick \"digital simulation\" to use the closed form, or "
                           "choose another electrode");
}

// The two-dimensional microdisc costs far more per time step than the one-dimensional engine
// (some 50 us at a disc of 1 mm). It takes 15 implicit steps to each interval at one potential,
// whatever t drop and t pulse are (at most 120000 for 4000 points of a pulse technique), and 3
// to each step of at most 5 mV along a sweep: a sweep over a mistyped range of thousands of volts
// would keep the window busy for minutes.
constexpr double kMaxMicrodiscTimeSteps = 1e6;

// A rod's exposed end is run as such a disc too.
void requireBearableCost(const ExperimentState &state) {
    if (state.electrode != 4 && state.electrode != 5 && state.electrode != 6)
        return;
    const double steps = microdiscTimeSteps(state);
    if (steps > kMaxMicrodiscTimeSteps)
        throw RuntimeError("the run needs " + generalNumber(steps) +
                           " time steps (15 to each interval at one potential, 3 to each 5 mV of "
                           "a sweep), more than " +
                           generalNumber(kMaxMicrodiscTimeSteps) +
                           ": make the range from E start to E end narrower or choose fewer "
                           "cycles");
}

void computeConstants(ExperimentState &state) {
    state.fOverRT = checkedDivide(kFaraday / kGasConstant, state.temperatureK);
    state.scanSign = state.eEnd > state.eStart ? 1 : -1;
}

void clearCurrents(const ExperimentState &state, CurveStore &store) {
    for (int i = 1; i <= state.pointCount; ++i)
        for (int k = 1; k <= totalColumn(state); ++k)
            store.reactionCurrent(i, k) = 0;
}

void sumSteps(const ExperimentState &state, CurveStore &store) {
    const int T = totalColumn(state);
    for (int i = 1; i <= state.pointCount; ++i) {
        double total = 0;
        for (int r = 1; r <= state.chargeCount; ++r)
            total += store.reactionCurrent(i, r);
        store.reactionCurrent(i, T) = checkedFinite(total);
    }
}

// The closed forms count a reduction current positive. The program stores currents with
// oxidation positive and reduction negative, as the finite-difference simulation does, so
// that switching the digital simulation on or off never turns a curve upside down.
void toOxidationPositive(const ExperimentState &state, CurveStore &store) {
    for (int k = 1; k <= totalColumn(state); ++k)
        for (int i = 1; i <= state.pointCount; ++i)
            store.reactionCurrent(i, k) = -store.reactionCurrent(i, k);
}

// Records yMax >= 0 and yMin <= 0 and returns the signed extreme of larger magnitude.
double recordExtremes(ExperimentState &state, const CurveStore &store) {
    const int T = totalColumn(state);
    state.yMax = 0;
    state.yMin = 0;
    for (int i = 1; i <= state.pointCount; ++i) {
        double y = store.reactionCurrent(i, T);
        if (y > state.yMax)
            state.yMax = y;
        if (y < state.yMin)
            state.yMin = y;
    }
    return std::fabs(state.yMin) > std::fabs(state.yMax) ? state.yMin : state.yMax;
}

// Normal deviates from the congruential generator x -> ((24298 x + 99991) mod M) + 1 by the
// cosine form of Box and Muller, seeded by the number of points so that equal programmes
// receive equal noise.
class NoiseGenerator {
public:
    explicit NoiseGenerator(int pointCount) : x_(2.0 * pointCount), count_(2.0 * pointCount) {}

    double next() {
        double rho = 0;
        for (;;) {
            step();
            if (std::fmod(count_, 2) != 0)
                rho = std::sqrt(2 * std::log(kModulus / x_));
            else
                return rho * std::cos(x_ * kTwoPi / kModulus);
        }
    }

private:
    static constexpr double kModulus = 199017;
    void step() {
        double t = x_ * 24298 + 99991;
        x_ = (t + 1) - std::floor(t / kModulus) * kModulus;
        count_ -= 1;
    }
    double x_;
    double count_;
};

void addNoise(const ExperimentState &state, CurveStore &store, double extreme) {
    if (!(state.noisePercent > 0) || state.fitMode)
        return;
    const int T = totalColumn(state);
    NoiseGenerator noise(state.pointCount);
    for (int i = 1; i <= state.pointCount; ++i)
        store.reactionCurrent(i, T) = checkedFinite(
            store.reactionCurrent(i, T) + state.noisePercent * noise.next() * extreme * 0.0025);
}

} // namespace

void checkRunnable(const ExperimentState &state) {
    if (state.digital) {
        requireDigitalElectrode(state);
    } else {
        requireClosedForm(state);
    }
    requireProgrammeInStore(state);
    if (state.digital)
        requireBearableCost(state);
}

void simulateCurves(ExperimentState &state, CurveStore &store, const SimulationInputs &inputs) {
    checkRunnable(state);
    allocateCurveSlot(state, inputs.overlapTicked);
    computeConstants(state);
    buildProgramme(state, store);
    clearCurrents(state, store);
    if (state.digital)
        inputs.digitalSimulation(state, store);
    else
        analyticalCurrents(state, store, inputs.pointDone);
    sumSteps(state, store);
    if (!state.digital)
        toOxidationPositive(state, store);
    addCharging(state, store, inputs.resistance);
    double extreme = recordExtremes(state, store);
    addNoise(state, store, extreme);
}

} // namespace kemvo
