#include "simulation/ClosedFormCurrents.h"

#include "shell/Constants.h"
#include "simulation/AnalyticalCurrents.h"
#include "simulation/CheckedMath.h"
#include "simulation/GeometryCurrents.h"
#include "simulation/PotentialProgramme.h"
#include "simulation/PulseCurrents.h"
#include "simulation/SweepIntegralEquation.h"

#include <cmath>
#include <vector>

namespace kemvo {
namespace {

// F * area * 0.001: turns the currents of the closed forms [per F A 1e-3] into amperes.
double faradayArea(const ExperimentState &state) {
    return checkedFinite(state.area * kFaraday * kMolarToPerCm3);
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

// The closed form that serves a technique (tens of caseCode) on an electrode (units).
enum class Formula {
    None,
    Step,          // sweep and DC: the step current at the drop time
    StepSpherical, // DC at a sphere or a hemisphere
    StepMicrodisc,
    StepCylindrical, // DC at a cylinder or a hemicylinder
    StepThinFilm,    // DC in a film with an impermeable far side
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
    case 7:
        return Formula::StepThinFilm;
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

// The current per area of a rod (cylinder or hemicylinder) whose side carries `side` and whose
// exposed end carries `end`, both per area.
double withRodEnd(const ExperimentState &state, double side, double end) {
    const double share = cylinderEndShare(state.radius, state.length);
    return checkedFinite((1 - share) * side + share * end);
}

bool rodElectrode(const ExperimentState &state) {
    return state.electrode == 5 || state.electrode == 6;
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
    case Formula::StepCylindrical: {
        const double side = StepCurrentCylindrical(conditions, E, p.ks, p.alpha, p.n, p.e0Apparent,
                                                   p.Cox, p.Dox, td, td, p.Cred, p.Dred, pulse);
        const double end = StepCurrentMicrodisc(conditions, E, p.ks, p.alpha, p.n, p.e0Apparent,
                                                p.Cox, p.Dox, td, td, p.Cred, p.Dred, pulse);
        return withRodEnd(state, side, end);
    }
    case Formula::StepThinFilm:
        return StepCurrentThinFilm(conditions, E, p.ks, p.alpha, p.n, p.e0Apparent, p.Cox, p.Dox,
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
    conditions.quietTime = state.technique == 1 ? state.quietTime : 0;
    conditions.vertexHold = state.technique == 1 ? state.vertexHold : 0;
    const std::vector<double> current =
        sweepCurrents(couple, conditions, store.potential, state.pointCount);
    // A rod's end sweeps as a disc (not under catalysis, whose thin reaction layer makes every
    // electrode a plane).
    std::vector<double> end;
    if (rodElectrode(state) && state.mechanism != 9) {
        SweepConditions disc = conditions;
        disc.radius = 0;
        disc.discRadius = state.radius;
        end = sweepCurrents(couple, disc, store.potential, state.pointCount);
    }
    for (int i = 1; i <= state.pointCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        store.reactionCurrent(i, r) =
            end.empty() ? current[k] : withRodEnd(state, current[k], end[k]);
    }
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
                    const PointDone &pointDone) {
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
        if (pointDone)
            pointDone(i, state.pointCount);
    }
}

} // namespace

void analyticalCurrents(const ExperimentState &state, CurveStore &store,
                        const PointDone &pointDone) {
    for (int r = 1; r <= state.chargeCount; ++r)
        analyticalStep(state, store, r, pointDone);
    const double FA = faradayArea(state);
    for (int r = 1; r <= state.chargeCount; ++r)
        for (int i = 1; i <= state.pointCount; ++i)
            store.reactionCurrent(i, r) = checkedFinite(store.reactionCurrent(i, r) * FA);
}

} // namespace kemvo
