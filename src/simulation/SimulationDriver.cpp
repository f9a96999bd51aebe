#include "simulation/SimulationDriver.h"

#include "shell/Constants.h"
#include "shell/CurveSlots.h"
#include "shell/NumberText.h"
#include "simulation/AnalyticalCurrents.h"
#include "simulation/CheckedMath.h"
#include "simulation/ClosedFormCatalogue.h"
#include "simulation/DigitalSimulation.h"
#include "simulation/GeometryCurrents.h"
#include "simulation/MicrodiscSimulation.h"
#include "simulation/PulseCurrents.h"
#include "simulation/SweepIntegralEquation.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace kemvo {
namespace {

int totalColumn(const ExperimentState &state) {
    return state.chargeCount + 1;
}

// F * area * 0.001: turns the currents of the closed forms [per F A 1e-3] into amperes.
double faradayArea(const ExperimentState &state) {
    return checkedFinite(state.area * kFaraday * kMolarToPerCm3);
}

void requireClosedForm(const ExperimentState &state) {
    if (auto refusal = closedFormRefusal(state))
        throw RuntimeError(refusal->description);
}

// Sweeps at a plane or a curved electrode (taken as a sphere of the electrode's radius), and
// catalytic sweeps (at a plane, whose reaction layer is thin against any electrode), are
// solved from their integral equation, kinetics included.
bool sweepByIntegralEquation(const ExperimentState &state) {
    return (state.caseCode >= 11 && state.caseCode <= 16) ||
           (state.mechanism == 9 && state.technique == 1);
}

// The catalytic step current in DC voltammetry.
bool catalyticStep(const ExperimentState &state) {
    return state.mechanism == 9 && state.technique == 2;
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

// The one-dimensional engine integrates each drop and pulse in a fixed number of extrapolated
// steps, whatever t drop and t pulse are. The two-dimensional microdisc cuts each of the t drop /
// t pulse pulses of a point into 32 time steps, each costly; past this many in all the window
// would be busy for many seconds.
constexpr double kMaxDigitalTimeSteps = 5e5;

void requireBearableCost(const ExperimentState &state) {
    if (state.technique < 2 || state.technique > 4 || state.electrode != 4 ||
        !microdiscSimulatesMechanism(state.mechanism))
        return;
    const double steps = static_cast<double>(pointCountOf(state, pointsPerSweepOf(state))) *
                         microdiscStepsPerPoint(state);
    if (steps > kMaxDigitalTimeSteps)
        throw RuntimeError("the run needs " + generalNumber(steps) +
                           " time steps (32 to each of the t drop / t pulse pulses of a point), "
                           "more than " +
                           generalNumber(kMaxDigitalTimeSteps) +
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
    StepSpherical, // DC at a sphere or a hemisphere
    StepMicrodisc,
    StepCylindrical, // DC at a cylinder or a hemicylinder
    RotatingDisk,    // sweep and DC at a rotating disk
    NormalPulse,
    NormalPulseSpherical,
    DiffPulse,
    DiffPulseSpherical,
    SquareWave,
    SquareWaveSpherical,
};

Formula dcFormula(int electrode) {
    switch (electrode) {
    case 2:
    case 3:
        return Formula::StepSpherical;
    case 4:
        return Formula::StepMicrodisc;
    case 5:
    case 6:
        return Formula::StepCylindrical;
    default:
        return Formula::Step;
    }
}

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
        return electrode == 8 ? Formula::RotatingDisk : dcFormula(electrode);
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

// Forward sweeps run from eStart towards eEnd: the first and, with two cycles, the third.
bool forwardSweep(const ExperimentState &state, int i) {
    const int np = state.pointsPerSweep;
    return i <= np || (i > 2 * np && i <= 3 * np);
}

// The differential pulse and the square wave's forward half-period go with the scan, so that
// the return sweep's peaks mirror the forward ones.
double pulseWithScan(const ExperimentState &state, int i) {
    return forwardSweep(state, i) ? state.pulseAmplitude : -state.pulseAmplitude;
}

Couple coupleOf(const StepParameters &p) {
    return {p.ks, p.alpha, p.n, p.e0Apparent, p.Cox, p.Dox, p.Cred, p.Dred};
}

PulseElectrode pulseElectrodeOf(Formula formula) {
    switch (formula) {
    case Formula::NormalPulseSpherical:
    case Formula::DiffPulseSpherical:
    case Formula::SquareWaveSpherical:
        return PulseElectrode::Spherical;
    default:
        return PulseElectrode::Planar;
    }
}

bool isSquareWave(Formula formula) {
    return formula == Formula::SquareWave || formula == Formula::SquareWaveSpherical;
}

// Current of step r at point i by the closed form of the case; the square wave, one
// continuous run, is computed for all points at once by squareWaveColumn.
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
    case Formula::StepMicrodisc:
        return StepCurrentMicrodisc(conditions, E, p.ks, p.alpha, p.n, p.e0Apparent, p.Cox, p.Dox,
                                    td, td, p.Cred, p.Dred, pulse);
    case Formula::StepCylindrical:
        return StepCurrentCylindrical(conditions, E, p.ks, p.alpha, p.n, p.e0Apparent, p.Cox, p.Dox,
                                      td, td, p.Cred, p.Dred, pulse);
    case Formula::RotatingDisk:
        return RotatingDiskCurrent(conditions, E, p.ks, p.alpha, p.n, p.e0, p.Cox, p.Dox, tp, td,
                                   p.Cred, p.Dred, pulse);
    case Formula::NormalPulse:
    case Formula::NormalPulseSpherical:
        // Every drop rests at the start potential until the pulse to E + Epulse.
        return NormalPulseCurrent(conditions, coupleOf(p), pulseElectrodeOf(formula), state.eStart,
                                  E + pulse, td, tp);
    case Formula::DiffPulse:
    case Formula::DiffPulseSpherical:
        return DiffPulseCurrent(conditions, coupleOf(p), pulseElectrodeOf(formula), E,
                                pulseWithScan(state, i), td, tp);
    case Formula::SquareWave:
    case Formula::SquareWaveSpherical:
    case Formula::None:
        break;
    }
    return 0;
}

// The radius of the sphere whose kernel serves the sweep: none on a plane (and on a microdisc,
// whose own kernel is taken).
double sweepRadius(const ExperimentState &state) {
    if (state.caseCode == 11 || state.electrode == 4)
        return 0;
    return checkedDivide(state.radius, steadyCurrentFactor(state.electrode));
}

// The sweep current of step r from the integral equation of the sweep, Butler-Volmer kinetics
// included; time runs at the scan rate, one potential step per |eStep|/v.
void sweepFromIntegralEquation(const ExperimentState &state, CurveStore &store, int r,
                               const StepParameters &p) {
    SweepCouple couple;
    couple.ks = p.ks;
    couple.alpha = p.alpha;
    couple.n = p.n;
    couple.e0 = p.e0Apparent;
    couple.Cox = p.Cox;
    couple.Cred = p.Cred;
    couple.Dox = state.diffusion[2 * r - 1];
    couple.Dred = state.diffusion[2 * r];
    SweepConditions conditions;
    conditions.fOverRT = state.fOverRT;
    conditions.timeStep = checkedDivide(std::fabs(state.eStep), state.scanRate);
    conditions.radius = sweepRadius(state);
    conditions.discRadius = state.electrode == 4 ? state.radius : 0;
    conditions.catalysis = state.mechanism == 9 ? state.kf[1] : 0;
    const std::vector<double> current =
        sweepCurrents(couple, conditions, store.potential, state.pointCount);
    for (int i = 1; i <= state.pointCount; ++i)
        store.reactionCurrent(i, r) = current[static_cast<std::size_t>(i)];
}

// Catalytic EC' with k' = kf(1) in DC voltammetry: the step current at the drop time.
void catalyticStepCurrents(const ExperimentState &state, CurveStore &store, int r,
                           const StepParameters &p) {
    const TransportConditions conditions = TransportConditions::of(state);
    for (int i = 1; i <= state.pointCount; ++i)
        store.reactionCurrent(i, r) =
            CatalyticStep(conditions, store.potential(i), p.n, p.e0Apparent, p.Cox, p.Dox,
                          state.kf[1], state.dropTime, p.Cred);
}

// The sweep at a film of thickness `length`, as a thin layer.
void thinLayerSweep(const ExperimentState &state, const TransportConditions &conditions,
                    const StepParameters &p, CurveStore &store, int r) {
    ThinLayer layer(conditions, p.ks, p.alpha, p.n, p.e0Apparent, p.Cox, p.Cred, state.length,
                    state.scanRate, store.potential(1));
    for (int i = 1; i <= state.pointCount; ++i)
        store.reactionCurrent(i, r) = layer.sweepTo(store.potential(i));
}

void squareWaveColumn(const ExperimentState &state, const TransportConditions &conditions,
                      Formula formula, const StepParameters &p, CurveStore &store, int r) {
    const int n = state.pointCount;
    std::vector<double> staircase(n), pulse(n), net(n);
    for (int i = 1; i <= n; ++i) {
        staircase[i - 1] = store.potential(i);
        pulse[i - 1] = pulseWithScan(state, i);
    }
    SquareWaveCurrents(conditions, coupleOf(p), pulseElectrodeOf(formula), staircase, pulse,
                       state.pulseTime, net);
    for (int i = 1; i <= n; ++i)
        store.reactionCurrent(i, r) = net[i - 1];
}

void analyticalStep(const ExperimentState &state, CurveStore &store, int r,
                    const SimulationInputs &inputs) {
    const TransportConditions conditions = TransportConditions::of(state);
    StepParameters p = stepParameters(state, r);
    if (state.mechanism == 17) {
        double shift = checkedLog(state.keq[1]) - state.stoich[1] * checkedLog(state.cInit[4]);
        p.e0Apparent = checkedFinite(p.e0 + thermalVoltage(state, p) * shift);
    }
    if (state.caseCode == 17) {
        thinLayerSweep(state, conditions, p, store, r);
        return;
    }
    if (catalyticStep(state)) {
        catalyticStepCurrents(state, store, r, p);
        return;
    }
    if (sweepByIntegralEquation(state)) {
        sweepFromIntegralEquation(state, store, r, p);
        return;
    }
    const Formula formula = formulaFor(state.caseCode);
    if (isSquareWave(formula)) {
        squareWaveColumn(state, conditions, formula, p, store, r);
        return;
    }
    for (int i = 1; i <= state.pointCount; ++i) {
        double E = store.potential(i);
        store.reactionCurrent(i, r) =
            checkedFinite(closedFormCurrent(state, conditions, formula, p, E, i));
        reportPoint(inputs, i, state.pointCount);
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
    if (state.digital)
        inputs.digitalSimulation(state, store);
    else
        analyticalCurrents(state, store, inputs);
    sumSteps(state, store);
    if (!state.digital)
        toOxidationPositive(state, store);
    addCharging(state, store);
    double extreme = recordExtremes(state, store);
    addNoise(state, store, extreme);
}

} // namespace kemvo
