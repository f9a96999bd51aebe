#include "simulation/SimulationDriver.h"

#include "analysis/CurveTransforms.h"
#include "shell/Constants.h"
#include "shell/CurveSlots.h"
#include "shell/NumberText.h"
#include "simulation/AnalyticalCurrents.h"
#include "simulation/CheckedMath.h"
#include "simulation/DigitalSimulation.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace kemvo {
namespace {

// Mechanism 9 keeps its catalytic current here until it joins the total.
constexpr int kCatalyticColumn = 5;

int totalColumn(const ExperimentState &state) {
    return state.chargeCount + 1;
}

// F * area * 0.001: turns the currents of the closed forms [per F A 1e-3] into amperes.
double faradayArea(const ExperimentState &state) {
    return checkedFinite(state.area * kFaraday * kMolarToPerCm3);
}

void requireAnalyticalMechanism(const ExperimentState &state) {
    switch (state.mechanism) {
    case 1:
    case 4:
    case 9:
    case 17:
        return;
    default:
        throw RuntimeError("No analytical solution for mechanism " +
                           std::to_string(state.mechanism));
    }
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

// Points of one sweep: |E end - E start| / E step + 1.
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

// A finite-difference run of the DC and pulse techniques takes t drop / t pulse time steps
// per point, each some microseconds; past this many in all the window would be busy for many
// seconds, and a chemical step that needs a finer grid multiplies that.
constexpr double kMaxDigitalTimeSteps = 5e5;

void requireBearableCost(const ExperimentState &state) {
    if (state.technique < 2 || state.technique > 4)
        return;
    const double steps =
        static_cast<double>(pointCountOf(state, pointsPerSweepOf(state))) * stepsPerPoint(state);
    if (steps > kMaxDigitalTimeSteps)
        throw RuntimeError("the run needs " + generalNumber(steps) + " time steps (t drop / " +
                           "t pulse per point), more than " + generalNumber(kMaxDigitalTimeSteps) +
                           ": make t pulse (s) longer or t drop (s) shorter");
}

void computeConstants(ExperimentState &state) {
    state.fOverRT = checkedDivide(kFaraday / kGasConstant, state.temperatureK);
    state.scanSign = state.eEnd > state.eStart ? 1 : -1;
}

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

    for (int i = 1; i <= state.pointCount; ++i)
        for (int k = 1; k <= totalColumn(state); ++k)
            store.reactionCurrent(i, k) = 0;
}

void reportPoint(const SimulationInputs &inputs, int point, int count) {
    if (inputs.pointDone)
        inputs.pointDone(point, count);
}

// The closed form that serves a technique (tens of caseCode) on an electrode (units).
enum class Formula {
    None,
    Step,          // sweep and DC: the step current at the drop time
    StepSpherical, // DC at a curved electrode
    RotatingDisk,  // sweep and DC at a rotating disk
    NormalPulse,
    NormalPulseSpherical,
    DiffPulse,
    DiffPulseSpherical,
    SquareWave,
    SquareWaveSpherical,
};

Formula formulaFor(int caseCode) {
    int technique = caseCode / 10;
    int electrode = caseCode % 10;
    bool curved = electrode >= 2 && electrode <= 6;
    if (caseCode < 11 || electrode == 0 || electrode == 9)
        return Formula::None;
    switch (technique) {
    case 1:
        return electrode == 8 ? Formula::RotatingDisk : Formula::Step;
    case 2:
        return electrode == 8 ? Formula::RotatingDisk
                              : (curved ? Formula::StepSpherical : Formula::Step);
    case 3:
        return electrode == 1 ? Formula::NormalPulse
                              : (curved ? Formula::NormalPulseSpherical : Formula::None);
    case 4:
        return electrode == 1 ? Formula::DiffPulse
                              : (curved ? Formula::DiffPulseSpherical : Formula::None);
    case 5:
        return electrode == 1 ? Formula::SquareWave
                              : (curved ? Formula::SquareWaveSpherical : Formula::None);
    default:
        return Formula::None;
    }
}

// Scale factor of the pulse techniques' stored currents.
double pulseFactor(int caseCode) {
    switch (caseCode / 10) {
    case 3:
    case 4:
        return 1.755;
    case 5:
        return 2.47;
    default:
        return 1;
    }
}

// One charge-transfer step's parameters in the closed forms' terms.
struct StepParameters {
    double ks = 0, alpha = 0, n = 0;
    double e0 = 0;            // [V] as entered
    double e0Apparent = 0;    // [V] shifted by a complex equilibrium or the thin film
    double Cox = 0, Cred = 0; // [mol/L]
    double Dox = 0, Dred = 0; // sqrt(D) [cm/s^0.5], or D [cm^2/s] at a rotating disk
};

StepParameters stepParameters(const ExperimentState &state, int r) {
    StepParameters p;
    p.ks = state.ks[r];
    p.alpha = state.alpha[r];
    p.n = state.electrons[r];
    p.e0 = state.e0[r];
    p.e0Apparent = p.e0;
    int oxidised = 2 * r - 1;
    int reduced = 2 * r;
    bool rotatingDisk = state.caseCode == 18 || state.caseCode == 28;
    p.Dox = rotatingDisk ? state.diffusion[oxidised] : checkedSqrt(state.diffusion[oxidised]);
    p.Dred = rotatingDisk ? state.diffusion[reduced] : checkedSqrt(state.diffusion[reduced]);
    if (state.mechanism == 17) {
        // C = A + pD ahead of A + ne = B: the complex C is what is reduced, to B.
        p.Cox = state.cInit[3];
        p.Cred = state.cInit[2];
    } else {
        p.Cox = state.cInit[oxidised];
        p.Cred = state.cInit[reduced];
    }
    return p;
}

// RT/(nF) [V] of step r.
double thermalVoltage(const ExperimentState &state, const StepParameters &p) {
    return checkedDivide(1 / state.fOverRT, p.n);
}

// Current of step r at point i by the closed form of the case, times the case's factor.
double closedFormCurrent(const ExperimentState &state, const TransportConditions &conditions,
                         Formula formula, const StepParameters &p, double E, int i) {
    const double td = state.dropTime;
    const double tp = state.pulseTime;
    const double pulse = state.pulseAmplitude;
    switch (formula) {
    case Formula::Step:
        return StepCurrentPlanar(conditions, E, p.ks, p.alpha, p.n, p.e0Apparent, p.Cox, p.Dox, td,
                                 td, p.Cred, p.Dred, pulse);
    case Formula::StepSpherical:
        return StepCurrentSpherical(conditions, E, p.ks, p.alpha, p.n, p.e0Apparent, p.Cox, p.Dox,
                                    td, td, p.Cred, p.Dred, pulse);
    case Formula::RotatingDisk:
        return RotatingDiskCurrent(conditions, E, p.ks, p.alpha, p.n, p.e0, p.Cox, p.Dox, tp, td,
                                   p.Cred, p.Dred, pulse);
    case Formula::NormalPulse:
        return StepCurrentPlanar(conditions, E + pulse, p.ks, p.alpha, p.n, p.e0, p.Cox, p.Dox, tp,
                                 td, p.Cred, p.Dred, pulse);
    case Formula::NormalPulseSpherical:
        return StepCurrentSpherical(conditions, E + pulse, p.ks, p.alpha, p.n, p.e0, p.Cox, p.Dox,
                                    tp, td, p.Cred, p.Dred, pulse);
    case Formula::DiffPulse:
    case Formula::DiffPulseSpherical: {
        // The pulse goes against the scan on the return sweep.
        double Ep = i <= state.pointsPerSweep ? pulse : -pulse;
        auto f = formula == Formula::DiffPulse ? DiffPulsePlanar : DiffPulseSpherical;
        return f(conditions, E, p.ks, p.alpha, p.n, p.e0, p.Cox, p.Dox, tp, td, p.Cred, p.Dred, Ep);
    }
    case Formula::SquareWave:
        return SquareWavePlanar(conditions, E - pulse, p.ks, p.alpha, p.n, p.e0, p.Cox, p.Dox, tp,
                                td, p.Cred, p.Dred, 2 * pulse);
    case Formula::SquareWaveSpherical:
        return SquareWaveSpherical(conditions, E, p.ks, p.alpha, p.n, p.e0 + pulse, p.Cox, p.Dox,
                                   tp, td, p.Cred, p.Dred, 2 * pulse);
    case Formula::None:
        break;
    }
    return 0;
}

void analyticalStep(const ExperimentState &state, CurveStore &store, int r,
                    const SimulationInputs &inputs) {
    const TransportConditions conditions = TransportConditions::of(state);
    StepParameters p = stepParameters(state, r);
    if (state.mechanism == 17) {
        double shift = checkedLog(state.keq[1]) - state.stoich[1] * checkedLog(state.cInit[4]);
        p.e0Apparent = checkedFinite(p.e0 + thermalVoltage(state, p) * shift);
    }
    double factor = pulseFactor(state.caseCode);
    if (state.caseCode == 17) {
        // A film of thickness L: the apparent potential and scale of the thin-layer wave.
        double ratio = checkedDivide(checkedDivide(kSqrtPi * p.n * state.length, p.Dox),
                                     checkedSqrt(state.dropTime));
        p.e0Apparent = checkedFinite(p.e0 + thermalVoltage(state, p) * checkedLog(ratio));
        factor =
            checkedFinite(checkedSqrt(checkedDivide(kPi * state.dropTime, state.diffusion[1])) *
                          state.length * state.scanRate);
    }

    const Formula formula = formulaFor(state.caseCode);
    for (int i = 1; i <= state.pointCount; ++i) {
        double E = store.potential(i);
        store.reactionCurrent(i, r) =
            checkedFinite(closedFormCurrent(state, conditions, formula, p, E, i) * factor);
        reportPoint(inputs, i, state.pointCount);
    }

    if (state.mechanism == 9) {
        // Catalytic regeneration of A: a steady current scaled by sqrt(kf td pi).
        double lambda = checkedSqrt(state.kf[1] * state.dropTime);
        double G9 = checkedFinite(lambda * kSqrtPi * faradayArea(state));
        for (int i = 1; i <= state.pointCount; ++i) {
            double I = StepCurrentPlanar(conditions, store.potential(i), p.ks, p.alpha, p.n,
                                         p.e0Apparent, p.Cox, p.Dox, state.dropTime, state.dropTime,
                                         p.Cred, p.Dred, state.pulseAmplitude);
            store.reactionCurrent(i, kCatalyticColumn) = checkedFinite(I * G9);
        }
    }
}

void analyticalCurrents(const ExperimentState &state, CurveStore &store,
                        const SimulationInputs &inputs) {
    for (int r = 1; r <= state.chargeCount; ++r)
        analyticalStep(state, store, r, inputs);
    const double FA = faradayArea(state);
    for (int r = 1; r <= state.chargeCount; ++r)
        for (int i = 1; i <= state.pointCount; ++i)
            store.reactionCurrent(i, r) = checkedFinite(store.reactionCurrent(i, r) * FA);
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

// The steady part of the current at a curved electrode of radius r0 that the planar sweep
// lacks: n F A D C / r0 times the reversible wave, from the start of the sweep on.
void addSteadyTerm(const ExperimentState &state, CurveStore &store) {
    const int T = totalColumn(state);
    const double FA = faradayArea(state);
    for (int r = 1; r <= state.chargeCount; ++r) {
        StepParameters p = stepParameters(state, r);
        double limit = checkedFinite(
            FA * p.n * checkedDivide(state.diffusion[2 * r - 1] * p.Cox, state.radius));
        for (int i = 1; i <= state.pointCount; ++i) {
            double E = store.potential(i);
            double e1 = checkedExp(p.n * state.fOverRT * (E - state.eStart));
            double e2 = checkedExp(p.n * state.fOverRT * (E - p.e0));
            store.reactionCurrent(i, T) =
                checkedFinite(store.reactionCurrent(i, T) + limit * (1 - e1) / (1 + e2));
        }
    }
}

// The sweep current from the step currents sampled at the drop time td: the step current
// times sqrt(pi td) is the semi-integral of the sweep current, so the sweep current is its
// semi-derivative in time. The semi-derivative in potential carries the weight
// K = 0.25 sqrt(1/(pi h)) where the time derivative needs 2 sqrt(td v / h); the ratio
// 8 sqrt(pi td v) keeps the peak current independent of the potential step h (it is 1.003 at
// 5 mV and 0.01 V/s).
void sweepFromStepCurrents(const ExperimentState &state, CurveStore &store, int column) {
    const int n = state.pointCount;
    const double scale = 8 * checkedSqrt(kPi * state.dropTime * state.scanRate);
    const double first = store.reactionCurrent(1, column);
    SemiDifferentiate(store.potential, store.reactionCurrent, column, n);
    for (int i = 1; i <= n; ++i)
        store.reactionCurrent(i, column) =
            checkedFinite(first + scale * (store.reactionCurrent(i, column) - first));
}

void analyticalPostProcessing(const ExperimentState &state, CurveStore &store) {
    const int T = totalColumn(state);
    const int n = state.pointCount;
    const int caseCode = state.caseCode;
    if ((caseCode >= 11 && caseCode <= 16) || caseCode == 18)
        for (int k = 1; k <= T; ++k)
            sweepFromStepCurrents(state, store, k);
    if (caseCode >= 12 && caseCode <= 16)
        addSteadyTerm(state, store);
    if (caseCode == 17)
        for (int k = 1; k <= T; ++k)
            Differentiate(store.potential, store.reactionCurrent, k, n);
    if (state.mechanism == 9)
        for (int i = 1; i <= n; ++i)
            store.reactionCurrent(i, T) = checkedFinite(store.reactionCurrent(i, T) +
                                                        store.reactionCurrent(i, kCatalyticColumn));
}

// The closed forms count a reduction current positive. The program stores currents with
// oxidation positive and reduction negative, as the finite-difference simulation does, so
// that switching the digital simulation on or off never turns a curve upside down.
void toOxidationPositive(const ExperimentState &state, CurveStore &store) {
    for (int k = 1; k <= totalColumn(state); ++k)
        for (int i = 1; i <= state.pointCount; ++i)
            store.reactionCurrent(i, k) = -store.reactionCurrent(i, k);
}

// The charging current of the double layer, Cdl A v, with the sign of a faradaic current of
// the same direction of potential change: negative while the potential falls.
void addCharging(const ExperimentState &state, CurveStore &store) {
    if (!(state.cdl > 0))
        return;
    const int T = totalColumn(state);
    const int np = state.pointsPerSweep;
    const double Ic = checkedFinite(-state.cdl * state.area * state.scanRate);
    for (int i = 1; i <= state.pointCount; ++i) {
        double change = 0;
        if (state.cycles != 0.5) {
            bool forward = i <= np || (i > 2 * np && i <= 3 * np);
            change = -(forward ? state.scanSign : -state.scanSign) * Ic;
        } else if (state.technique != 1) {
            change = (store.potential(1) - store.potential(i)) * Ic;
        } else {
            change = -state.scanSign * Ic;
        }
        store.reactionCurrent(i, T) = checkedFinite(store.reactionCurrent(i, T) + change);
    }
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
        requireAnalyticalMechanism(state);
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
    if (state.digital)
        inputs.digitalSimulation(state, store);
    else
        analyticalCurrents(state, store, inputs);
    sumSteps(state, store);
    if (!state.digital) {
        analyticalPostProcessing(state, store);
        toOxidationPositive(state, store);
    }
    addCharging(state, store);
    double extreme = recordExtremes(state, store);
    addNoise(state, store, extreme);
}

} // namespace kemvo
