#include "simulation/DigitalSimulation.h"

#include "shell/Constants.h"
#include "shell/NumberText.h"
#include "simulation/LargerSmaller.h"
#include "simulation/LinearSolver.h"

#include <cmath>
#include <memory>

namespace kemvo {
namespace {

// Species inside the simulation.
constexpr int A = 0;
constexpr int B = 1;
constexpr int C = 2;
constexpr int D = 3;

constexpr int kMaxChargeSteps = 3;
constexpr int kMaxChemicalSteps = 2;
constexpr double kModelDiffusionWithoutChemistry = 10.0;
constexpr double kExtentFactor = 6.0;
constexpr double kCurrentScale = kFaraday * kMolarToPerCm3; // [C/mol * L/cm^3]

// How the electrode relation P c0 = Q c1 is closed.
enum class Closure {
    OneCouple,  // A+ne=B; row B: A0 + B0 = A1 + B1
    Chain,      // A+ne=B, B+ne=C; row B: A0 + B0 + C0 = A1 + B1 + C1
    TwoCouples, // A+ne=B, C+ne=D; rows B and D balance each couple
    ThreeSteps, // A+ne=B, B+ne=C, C+ne=D; row B: total balance, rows C and D: fluxes
};

// A chemical step "from = to" whose forward constant drives `from` to `to`; a step written
// "2B = ..." doubles the forward constant in the block.
struct ChemicalStep {
    int from = 0;
    int to = 0;
    double forwardMultiplicity = 1.0;
};

struct Mechanism {
    int species;
    Closure closure;
    int chemicalSteps;
    std::array<ChemicalStep, kMaxChemicalSteps> chemistry;
};

constexpr std::array<Mechanism, 18> kMechanisms{{
    {},
    {2, Closure::OneCouple, 0, {}},
    {3, Closure::Chain, 0, {}},
    {4, Closure::ThreeSteps, 0, {}},
    {4, Closure::TwoCouples, 0, {}},
    {3, Closure::OneCouple, 1, {{{C, A, 1}}}},             // C=A
    {4, Closure::OneCouple, 2, {{{C, A, 1}, {B, D, 1}}}},  // C=A, B=D
    {3, Closure::OneCouple, 1, {{{B, C, 1}}}},             // B=C
    {3, Closure::OneCouple, 1, {{{B, C, 2}}}},             // 2B=C
    {2, Closure::OneCouple, 1, {{{B, A, 1}}}},             // B=A
    {2, Closure::OneCouple, 1, {{{B, A, 2}}}},             // 2B=A
    {4, Closure::TwoCouples, 1, {{{B, C, 1}}}},            // B=C
    {4, Closure::TwoCouples, 1, {{{B, D, 1}}}},            // B=D
    {4, Closure::TwoCouples, 2, {{{B, D, 1}, {C, A, 1}}}}, // B=D, C=A
    {4, Closure::Chain, 1, {{{C, D, 1}}}},                 // C=D
    {4, Closure::Chain, 1, {{{B, D, 1}}}},                 // B=D
    {4, Closure::OneCouple, 1, {{{B, A, 1}}}},             // B+C=A+D, C and D in excess
    {4, Closure::OneCouple, 1, {{{C, A, 1}}}},             // C=A+pD, D in excess
}};

struct Couple {
    int oxidised;
    int reduced;
};

int chargeStepCount(Closure closure) {
    switch (closure) {
    case Closure::OneCouple:
        return 1;
    case Closure::ThreeSteps:
        return 3;
    default:
        return 2;
    }
}

Couple coupleOf(Closure closure, int step) {
    if (step == 0)
        return {A, B};
    if (step == 2 || closure == Closure::TwoCouples)
        return {C, D};
    return {B, C};
}

template <class T> T checkedCode(T code, T first, T last) {
    if (code < first || code > last)
        throw RuntimeError(kSubscriptOutOfRange);
    return code;
}

// Everything about a run that does not depend on the species count.
struct RunSetup {
    int technique = 1;
    const Mechanism *mechanism = nullptr;
    int chargeSteps = 1;
    int points = 0;
    int stepsPerPoint = 1;
    double timeStep = 0;                        // [s]
    double lambda = 0;                          // model diffusion coefficient D dt / h^2
    int boxes = 0;                              // M
    int gridBoxes = 0;                          // floor(Mr): boxes with geometry factors
    double reference = 0;                       // [mol/L] Cref
    double surfaceFactor = 0;                   // [s/cm] Df = h c(1) / D_A
    double currentScale = 0;                    // [A s/cm] 96.4846 A Cref
    std::array<double, kMaxPositions> la{};     // lambda a(k)
    std::array<double, kMaxPositions> lb{};     // lambda b(k)
    std::array<double, 4> bulk{};               // normalised initial concentrations
    std::array<double, kMaxChemicalSteps> kf{}; // scaled chemical constants
    std::array<double, kMaxChemicalSteps> kb{};
};

} // namespace

int stepsPerPoint(const ExperimentState &state) {
    if (state.technique == 1)
        return 1;
    if (state.technique == 5)
        return 2;
    // A drop of td lasts td/tp pulse widths, rounded to a whole number (half to even).
    int steps = roundToInt16(larger(checkedDivide(state.dropTime, state.pulseTime), 2.0));
    if (steps % 2 != 0)
        ++steps;
    return steps;
}

namespace {

double modelDiffusion(const ExperimentState &state, const Mechanism &mechanism) {
    if (mechanism.chemicalSteps == 0)
        return kModelDiffusionWithoutChemistry;
    return checkedDivide(kGasConstant * state.temperatureK * (state.kf[1] + state.kb[1]),
                         kFaraday * std::abs(state.eStep));
}

void scaleChemistry(const ExperimentState &state, RunSetup &run) {
    for (int m = 0; m < run.mechanism->chemicalSteps; ++m) {
        run.kf[m] = state.kf[m + 1] * run.timeStep;
        run.kb[m] = state.kb[m + 1] * run.timeStep;
    }
    switch (state.mechanism) {
    case 8:
    case 10: // second order in B, taken at the reference concentration
        run.kf[0] *= run.reference;
        break;
    case 16: // C and D in excess at the reference concentration
        run.kf[0] *= run.reference;
        run.kb[0] *= run.reference;
        break;
    case 17: // the back step consumes p D at the reference concentration
        run.kb[0] *= checkedFinite(std::pow(run.reference, state.stoich[1]));
        break;
    default:
        break;
    }
}

// Box boundaries x and centres c of the exponentially expanding grid, in units of h.
struct GridPoints {
    std::array<double, kMaxPositions + 1> x{};
    std::array<double, kMaxPositions + 1> c{};
};

GridPoints gridPoints(int count) {
    GridPoints grid;
    const double expansion = std::exp(1.0) - 1.0;
    for (int i = 1; i <= count; ++i) {
        grid.x[i] = (std::exp(i - 1.0) - 1.0) / expansion;
        grid.c[i] = (std::exp(i - 0.5) - 1.0) / expansion;
    }
    return grid;
}

// Inner (a) and outer (b) face factors of the box between xIn and xOut whose centre lies cIn
// beyond the previous centre and cOut before the next one; r0 is the electrode radius. All
// lengths are in units of h.
struct FaceFactors {
    double a;
    double b;
};

FaceFactors faceFactors(int electrode, double r0, double xIn, double xOut, double cIn,
                        double cOut) {
    const double width = xOut - xIn;
    const double rin = r0 + xIn;
    const double rout = r0 + xOut;
    switch (electrode) {
    case 2:
    case 3: { // spherical: faces r^2, volume (rout^3 - rin^3) / 3
        const double volume = width * (rout * rout + rout * rin + rin * rin);
        return {checkedDivide(3.0 * rin * rin, cIn * volume),
                checkedDivide(3.0 * rout * rout, cOut * volume)};
    }
    case 4:
    case 5:
    case 6: { // cylindrical: faces r, volume (rout^2 - rin^2) / 2
        const double volume = width * (rout + rin);
        return {checkedDivide(2.0 * rin, cIn * volume), checkedDivide(2.0 * rout, cOut * volume)};
    }
    default: // planar, thin film, rotating disk
        return {checkedDivide(1.0, width * cIn), checkedDivide(1.0, width * cOut)};
    }
}

void buildGrid(const ExperimentState &state, RunSetup &run) {
    const int extentSamples =
        (run.technique == 1 || run.technique == 5) ? run.points : run.stepsPerPoint;
    const double extent =
        2.0 + std::log(1.0 + kExtentFactor * (std::exp(1.0) - 1.0) *
                                 checkedFinite(std::sqrt(extentSamples * run.lambda)));
    run.boxes = static_cast<int>(std::nearbyint(checkedFinite(extent)));
    run.gridBoxes = static_cast<int>(std::floor(extent));
    if (run.boxes > kMaxBoxes)
        throw RuntimeError(kSubscriptOutOfRange);

    const double diffusionA = state.diffusion[1];
    const double h = checkedFinite(std::sqrt(checkedDivide(diffusionA * run.timeStep, run.lambda)));
    const GridPoints grid = gridPoints(run.gridBoxes + 1);
    run.surfaceFactor = checkedDivide(h * grid.c[1], diffusionA);
    // The radius in units of the first box's width, so that a large electrode tends to planar.
    const bool curved = state.electrode >= 2 && state.electrode <= 6;
    const double r0 = curved ? checkedDivide(state.radius, h) : 0.0;

    run.la.fill(0.0);
    run.lb.fill(0.0);
    for (int k = 1; k <= run.gridBoxes; ++k) {
        const double cIn = k == 1 ? grid.c[1] : grid.c[k] - grid.c[k - 1];
        FaceFactors f = faceFactors(state.electrode, r0, grid.x[k], grid.x[k + 1], cIn,
                                    grid.c[k + 1] - grid.c[k]);
        if (k == 1) // the electrode face of box 1 is taken as planar
            f.a = 1.0 / grid.c[1];
        run.la[k] = run.lambda * f.a;
        run.lb[k] = run.lambda * f.b;
    }
}

RunSetup setUpRun(const ExperimentState &state) {
    RunSetup run;
    run.technique = checkedCode<int>(state.technique, 1, 5);
    checkedCode<int>(state.electrode, 1, 8);
    run.mechanism = &kMechanisms[checkedCode<int>(state.mechanism, 1, 17)];
    run.chargeSteps = chargeStepCount(run.mechanism->closure);
    run.points = state.pointCount;
    run.timeStep = run.technique == 1 ? state.dropTime : state.pulseTime;
    run.lambda = modelDiffusion(state, *run.mechanism);
    run.stepsPerPoint = stepsPerPoint(state);

    const int species = run.mechanism->species;
    run.reference = state.cInit[1];
    for (int j = 2; j <= species; ++j)
        run.reference = larger(run.reference, state.cInit[j]);
    for (int j = 0; j < species; ++j)
        run.bulk[j] = checkedDivide(state.cInit[j + 1], run.reference);

    scaleChemistry(state, run);
    buildGrid(state, run);
    run.currentScale = kCurrentScale * state.area * run.reference;
    return run;
}

// Applied potential of time step q (1..Q) of data point p whose programme potential is ep.
double appliedPotential(const ExperimentState &state, const RunSetup &run, int p, int q,
                        double ep) {
    const bool lastStep = q == run.stepsPerPoint;
    switch (run.technique) {
    case 3:
        return lastStep ? ep + state.pulseAmplitude : state.eStart;
    case 4:
        if (!lastStep)
            return ep;
        return p <= state.pointsPerSweep ? ep + state.pulseAmplitude : ep - state.pulseAmplitude;
    case 5:
        return q % 2 == 0 ? ep + state.pulseAmplitude : ep - state.pulseAmplitude;
    default:
        return ep;
    }
}

// Matrices over all four species; a run uses the leading S x S part.
using SpeciesMatrix = std::array<std::array<double, 4>, 4>;

SpeciesMatrix identity() {
    SpeciesMatrix m{};
    for (int s = 0; s < 4; ++s)
        m[s][s] = 1.0;
    return m;
}

// Q, and P before the Butler-Volmer rows: the balance rows of the mechanism's couples.
SpeciesMatrix electrodeFlags(Closure closure) {
    SpeciesMatrix m = identity();
    m[B][A] = 1.0;
    if (closure == Closure::Chain || closure == Closure::ThreeSteps)
        m[B][C] = 1.0;
    if (closure == Closure::ThreeSteps)
        m[B][D] = 1.0;
    if (closure == Closure::TwoCouples)
        m[D][C] = 1.0;
    return m;
}

// The chemical couplings of one box, whose diagonal is d.
SpeciesMatrix boxBlock(const RunSetup &run, double d) {
    SpeciesMatrix m{};
    for (int s = 0; s < 4; ++s)
        m[s][s] = d;
    for (int k = 0; k < run.mechanism->chemicalSteps; ++k) {
        const ChemicalStep &chem = run.mechanism->chemistry[k];
        const double forward = chem.forwardMultiplicity * run.kf[k];
        m[chem.from][chem.from] += forward;
        m[chem.to][chem.from] -= forward;
        m[chem.to][chem.to] += run.kb[k];
        m[chem.from][chem.to] -= run.kb[k];
    }
    return m;
}

// Butler-Volmer condition of step j in the row of its oxidised species:
// ox0 (1 + Df kf) - Df kb red0 = ox1, the flux into box 1 equals the reduction rate.
void addReactantRow(SpeciesMatrix &p, Couple couple, double dfKf, double dfKb) {
    p[couple.oxidised][couple.oxidised] += dfKf;
    p[couple.oxidised][couple.reduced] -= dfKb;
}

// The same rate written in the row of its reduced species, which the step produces.
void addProductRow(SpeciesMatrix &p, Couple couple, double dfKf, double dfKb) {
    p[couple.reduced][couple.oxidised] -= dfKf;
    p[couple.reduced][couple.reduced] += dfKb;
}

template <int S> class Simulation {
public:
    using Solver = BlockTridiagonalSolver<S>;
    using Block = typename Solver::Block;

    Simulation(const ExperimentState &state, const RunSetup &run) : state_(state), run_(run) {}

    void run(CurveStore &store, double resistance, const MatrixMessage &message,
             const std::function<void(int)> &pointDone) {
        flags_ = electrodeFlags(run_.mechanism->closure);
        for (int k = 1; k <= run_.boxes; ++k)
            blocks_[k] = leading(boxBlock(run_, 1.0 + run_.la[k] + run_.lb[k]));
        solver_.prepare(run_.boxes, run_.la, run_.lb, blocks_, leading(flags_), message);
        resetProfile();
        double lastTotal = 0.0;
        std::array<double, kMaxChargeSteps> kept{};
        const int steps = run_.stepsPerPoint;
        for (int p = 1; p <= run_.points; ++p) {
            const double ep = store.potential(p);
            if (run_.technique >= 2 && run_.technique <= 4)
                resetProfile();
            for (int q = 1; q <= steps; ++q) {
                double e = appliedPotential(state_, run_, p, q, ep);
                // The cell drives E across the electrode and Ru in series, so the electrode
                // sees E - Ru I (I anodic positive).
                if (resistance > 0.0)
                    e -= resistance * lastTotal;
                step(e, message);
                if (q < steps - 1)
                    continue;
                const std::array<double, kMaxChargeSteps> currents = stepCurrents();
                lastTotal = 0.0;
                for (int j = 0; j < run_.chargeSteps; ++j)
                    lastTotal += currents[j];
                lastTotal = checkedFinite(lastTotal);
                if (q < steps) {
                    kept = currents;
                } else {
                    const bool difference = run_.technique >= 4;
                    for (int j = 0; j < run_.chargeSteps; ++j)
                        store.reactionCurrent(p, j + 1) =
                            difference ? checkedFinite(currents[j] - kept[j]) : currents[j];
                }
            }
            for (int s = 0; s < S; ++s)
                store.surfaceConc(p, s + 1) = checkedFinite(run_.reference * surface_[s]);
            if (pointDone)
                pointDone(p);
        }
    }

private:
    static Block leading(const SpeciesMatrix &m) {
        Block block;
        for (int s = 0; s < S; ++s)
            for (int t = 0; t < S; ++t)
                block[s][t] = m[s][t];
        return block;
    }

    void resetProfile() {
        profile_ = {};
        for (int i = 0; i <= run_.gridBoxes + 1; ++i)
            for (int s = 0; s < S; ++s)
                profile_[i][s] = run_.bulk[s];
    }

    // One implicit time step at the electrode potential e [V].
    void step(double e, const MatrixMessage &message) {
        const Closure closure = run_.mechanism->closure;
        const double df = run_.surfaceFactor;
        for (int j = 0; j < run_.chargeSteps; ++j) {
            const double phi = state_.electrons[j + 1] * state_.fOverRT * (e - state_.e0[j + 1]);
            kf_[j] = state_.ks[j + 1] * checkedExp(-state_.alpha[j + 1] * phi);
            kb_[j] = state_.ks[j + 1] * checkedExp((1.0 - state_.alpha[j + 1]) * phi);
        }
        SpeciesMatrix p = flags_;
        addReactantRow(p, coupleOf(closure, 0), df * kf_[0], df * kb_[0]);
        if (closure == Closure::TwoCouples)
            addReactantRow(p, coupleOf(closure, 1), df * kf_[1], df * kb_[1]);
        if (closure == Closure::Chain || closure == Closure::ThreeSteps)
            addProductRow(p, coupleOf(closure, 1), df * kf_[1], df * kb_[1]);
        if (closure == Closure::ThreeSteps) {
            addReactantRow(p, coupleOf(closure, 2), df * kf_[2], df * kb_[2]);
            addProductRow(p, coupleOf(closure, 2), df * kf_[2], df * kb_[2]);
        }
        solver_.solve(profile_, leading(p), message);
        for (int s = 0; s < S; ++s)
            surface_[s] = checkedFinite(profile_[0][s]);
    }

    // Current of each step [A], positive for net oxidation.
    std::array<double, kMaxChargeSteps> stepCurrents() const {
        std::array<double, kMaxChargeSteps> currents{};
        for (int j = 0; j < run_.chargeSteps; ++j) {
            const Couple couple = coupleOf(run_.mechanism->closure, j);
            const double flux =
                kb_[j] * surface_[couple.reduced] - kf_[j] * surface_[couple.oxidised];
            currents[j] = checkedFinite(run_.currentScale * state_.electrons[j + 1] * flux);
        }
        return currents;
    }

    const ExperimentState &state_;
    const RunSetup &run_;
    Solver solver_;
    typename Solver::Blocks blocks_{};
    typename Solver::Profile profile_{};
    SpeciesMatrix flags_{};
    std::array<double, 4> surface_{};          // normalised surface concentrations
    std::array<double, kMaxChargeSteps> kf_{}; // [cm/s]
    std::array<double, kMaxChargeSteps> kb_{};
};

template <int S>
void simulate(const ExperimentState &state, const RunSetup &run, CurveStore &store,
              double resistance, const MatrixMessage &message,
              const std::function<void(int)> &pointDone) {
    auto simulation = std::make_unique<Simulation<S>>(state, run);
    simulation->run(store, resistance, message, pointDone);
}

} // namespace

void runDigitalSimulation(const ExperimentState &state, CurveStore &store,
                          double uncompensatedResistance,
                          const std::function<void(const std::string &)> &message,
                          const std::function<void(int)> &pointDone) {
    const RunSetup run = setUpRun(state);
    // A singular block would otherwise be reported at every time step.
    bool reported = false;
    const MatrixMessage reportOnce = [&](const std::string &text) {
        if (!reported && message)
            message(text);
        reported = true;
    };
    switch (run.mechanism->species) {
    case 2:
        simulate<2>(state, run, store, uncompensatedResistance, reportOnce, pointDone);
        break;
    case 3:
        simulate<3>(state, run, store, uncompensatedResistance, reportOnce, pointDone);
        break;
    default:
        simulate<4>(state, run, store, uncompensatedResistance, reportOnce, pointDone);
        break;
    }
}

} // namespace kemvo
