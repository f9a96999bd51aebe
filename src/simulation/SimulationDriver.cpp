#include "simulation/SimulationDriver.h"

#include "shell/Constants.h"
#include "shell/CurveSlots.h"
#include "shell/NumberText.h"
#include "simulation/AnalyticalCurrents.h"
#include "simulation/CheckedMath.h"
#include "simulation/GeometryCurrents.h"
#include "simulation/SweepIntegralEquation.h"

#include <cmath>
#include <limits>
#include <string>

namespace kemvo {
namespace {

// Mechanism 9 keeps the catalytic current of a pulse technique here until it joins the total.
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

void computeConstants(ExperimentState &state) {
    state.fOverRT = checkedDivide(kFaraday / kGasConstant, state.temperatureK);
    state.scanSign = state.eEnd > state.eStart ? 1 : -1;
}

void buildProgramme(ExperimentState &state, CurveStore &store) {
    double steps = std::fabs(checkedDivide(state.eEnd - state.eStart, state.eStep));
    int np = roundToInt16(steps) + 1;
    if (np > std::numeric_limits<Int16>::max())
        throw RuntimeError(kOverflow);
    state.pointsPerSweep = static_cast<Int16>(np);
    state.pointCount = static_cast<std::int32_t>(std::nearbyint(2.0 * np * state.cycles));

    for (int i = 1; i <= np; ++i)
        store.potential(i) = checkedFinite(state.eStart + state.scanSign * (i - 1) * state.eStep);
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

// The radius of the sphere whose kernel serves the sweep: none on a plane; on a microdisc the
// sphere of the same area and steady current (radius pi r0 / 4), exact at short times and in
// the steady state.
double sweepRadius(const ExperimentState &state) {
    if (state.caseCode == 11)
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

void analyticalStep(const ExperimentState &state, CurveStore &store, int r) {
    const TransportConditions conditions = TransportConditions::of(state);
    StepParameters p = stepParameters(state, r);
    if (state.mechanism == 17) {
        double shift = checkedLog(state.keq[1]) - state.stoich[1] * checkedLog(state.cInit[4]);
        p.e0Apparent = checkedFinite(p.e0 + thermalVoltage(state, p) * shift);
    }
    const double factor = pulseFactor(state.caseCode);
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
    for (int i = 1; i <= state.pointCount; ++i) {
        double E = store.potential(i);
        store.reactionCurrent(i, r) =
            checkedFinite(closedFormCurrent(state, conditions, formula, p, E, i) * factor);
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

void analyticalCurrents(const ExperimentState &state, CurveStore &store) {
    for (int r = 1; r <= state.chargeCount; ++r)
        analyticalStep(state, store, r);
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

void analyticalPostProcessing(const ExperimentState &state, CurveStore &store) {
    const int T = totalColumn(state);
    const int n = state.pointCount;
    // The sweeps, the rotating disk's steady wave and the thin layer are computed as such;
    // the pulse techniques of the catalytic mechanism add the regenerated current.
    const bool ownClosedForm = sweepByIntegralEquation(state) || catalyticStep(state);
    if (state.mechanism == 9 && !ownClosedForm)
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

void simulateCurves(ExperimentState &state, CurveStore &store, const SimulationInputs &inputs) {
    if (!state.digital) {
        requireAnalyticalMechanism(state);
        if (const std::string refusal = geometryClosedFormRefusal(state); !refusal.empty())
            throw RuntimeError(refusal);
    }
    allocateCurveSlot(state, inputs.overlapTicked);
    computeConstants(state);
    buildProgramme(state, store);
    if (state.digital)
        inputs.digitalSimulation(state, store);
    else
        analyticalCurrents(state, store);
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
