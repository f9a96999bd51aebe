#include "simulation/DigitalSimulation.h"

#include "shell/Constants.h"
#include "shell/NumberText.h"
#include "simulation/LargerSmaller.h"
#include "simulation/LinearSolver.h"
#include "simulation/MicrodiscSimulation.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace kemvo {
namespace {

// Species inside the simulation.
constexpr int A = 0;
constexpr int B = 1;
constexpr int C = 2;
constexpr int D = 3;

constexpr int kMaxChargeSteps = 3;
constexpr int kMaxChemicalSteps = 2;
constexpr double kModelDiffusion = 10.0; // D dt / h^2 at the first box of the standard grid
constexpr double kExtentFactor = 6.0;    // diffusion lengths of the run that the grid spans
// The accurate grid: first box [fraction of the shortest layer] and expansion per box.
constexpr double kFirstBoxFraction = 0.1;
constexpr double kAccurateExpansion = 1.7;
// An interval at constant potential takes two extrapolated steps: a short second-order one of
// this fraction of it for the steep start after the jump, then a third-order one to the end
// (the sampled current then agrees with the exact step response to 0.2 %).
constexpr double kHoldFirstFraction = 0.3;
// [V] Largest potential change of one (second-order) step of a linear ramp: the reversible
// peak is then within 0.02 % of Randles-Sevcik.
constexpr double kRampPotentialStep = 0.005;
constexpr int kResistanceIterations = 100;
constexpr int kChemistryIterations = 50;
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
    bool fineGrid = false; // technique 1 as a true linear ramp on the accurate grid
    int boxes = 0;         // M
    int gridBoxes = 0;     // boxes with geometry factors
    double firstBox = 0;   // [cm] h
    // The first box was sized so that lambda = gridDiffusion gridTime / h^2; a species of
    // diffusion coefficient D over a step dt has D dt / h^2 = lambda (D / gridDiffusion)
    // (dt / gridTime), which keeps the standard grid's lambda = 10 exact.
    double lambda = 0;
    double gridDiffusion = 0;   // [cm^2/s]
    double gridTime = 0;        // [s]
    double surfaceDistance = 0; // [cm] h c(1), from the electrode to the first box centre
    double reference = 0;       // [mol/L] Cref
    double currentScale = 0;    // [A s/cm] 96.4846 A Cref
    std::array<double, kMaxPositions> a{};      // inner face factors [1/h^2]
    std::array<double, kMaxPositions> b{};      // outer face factors [1/h^2]
    std::array<double, 4> diffusion{};          // [cm^2/s] of each species in use
    std::array<double, 4> bulk{};               // normalised initial concentrations
    std::array<double, kMaxChemicalSteps> kf{}; // [1/s] (pseudo-)first-order chemical constants
    std::array<double, kMaxChemicalSteps> kb{};
};

// The chemical constants in 1/s: a partner in excess or the second-order species enters at the
// reference concentration.
void scaleChemistry(const ExperimentState &state, RunSetup &run) {
    for (int m = 0; m < run.mechanism->chemicalSteps; ++m) {
        run.kf[m] = state.kf[m + 1];
        run.kb[m] = state.kb[m + 1];
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

// [s] The shortest relaxation time 1/(kf + kb) of the chemical steps; a step with
// kf + kb = 0 does not react and sets no time.
double shortestLifetime(const RunSetup &run) {
    double shortest = HUGE_VAL;
    for (int m = 0; m < run.mechanism->chemicalSteps; ++m) {
        const double rate = run.mechanism->chemistry[m].forwardMultiplicity * std::abs(run.kf[m]) +
                            std::abs(run.kb[m]);
        if (rate > 0)
            shortest = smaller(shortest, 1.0 / rate);
    }
    return shortest;
}

double smallestDiffusion(const RunSetup &run) {
    double d = run.diffusion[0];
    for (int s = 1; s < run.mechanism->species; ++s)
        d = smaller(d, run.diffusion[s]);
    return d;
}

double largestDiffusion(const RunSetup &run) {
    double d = run.diffusion[0];
    for (int s = 1; s < run.mechanism->species; ++s)
        d = larger(d, run.diffusion[s]);
    return d;
}

// Box boundaries x and centres c of a grid expanding by exp(beta) from box to box, in units
// of h.
struct GridPoints {
    std::array<double, kMaxPositions + 1> x{};
    std::array<double, kMaxPositions + 1> c{};
};

GridPoints gridPoints(int count, double beta) {
    GridPoints grid;
    const double expansion = std::exp(beta) - 1.0;
    for (int i = 1; i <= count; ++i) {
        grid.x[i] = (std::exp(beta * (i - 1.0)) - 1.0) / expansion;
        grid.c[i] = (std::exp(beta * (i - 0.5)) - 1.0) / expansion;
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
    case 5:
    case 6: { // cylindrical: faces r, volume (rout^2 - rin^2) / 2
        const double volume = width * (rout + rin);
        return {checkedDivide(2.0 * rin, cIn * volume), checkedDivide(2.0 * rout, cOut * volume)};
    }
    default: // planar, thin film, rotating disk (the microdisc has its own simulation)
        return {checkedDivide(1.0, width * cIn), checkedDivide(1.0, width * cOut)};
    }
}

// How far out and how fine the grid goes.
struct GridShape {
    double lambda;    // D dt / h^2 for the diffusion coefficient D and time dt below
    double diffusion; // [cm^2/s]
    double time;      // [s]
    double firstBox;  // [cm] h
    double beta;      // ln of the expansion factor from box to box
    int boxes;        // M
    int gridBoxes;    // boxes with geometry factors
};

// The standard grid: the first box holds D dt / h^2 = 10 for the time step dt = td (or, when
// a chemical step relaxes faster, for its lifetime), the boxes grow by e, and the extent is
// Mr = 2 + ln(1 + 6 (e - 1) L / h) with L = sqrt(N D td) the diffusion length of the run.
// M = Mr rounded; box M has no geometry factors when the rounding goes up.
GridShape standardShape(const ExperimentState &state, const RunSetup &run) {
    const double time = smaller(state.dropTime, shortestLifetime(run));
    const double diffusion = smallestDiffusion(run);
    const double h = checkedFinite(std::sqrt(checkedDivide(diffusion * time, kModelDiffusion)));
    const double length =
        checkedFinite(std::sqrt(run.points * largestDiffusion(run) * state.dropTime));
    const double extent = checkedFinite(
        2.0 + std::log(1.0 + kExtentFactor * (std::exp(1.0) - 1.0) * checkedDivide(length, h)));
    return {kModelDiffusion,
            diffusion,
            time,
            h,
            1.0,
            static_cast<int>(std::nearbyint(extent)),
            static_cast<int>(std::floor(extent))};
}

// [s] The shortest time the accurate grid resolves: the pulse width, or for a sweep the time
// the ramp needs for RT/F or for one potential step, whichever is shorter.
double resolvedTime(const ExperimentState &state, const RunSetup &run) {
    if (run.technique == 1) {
        const double thermal = 1.0 / state.fOverRT;
        const double rampTime = std::abs(state.eStep) > thermal
                                    ? state.dropTime * thermal / std::abs(state.eStep)
                                    : state.dropTime;
        return smaller(rampTime, shortestLifetime(run));
    }
    const double shortest = run.technique == 2 ? state.dropTime : state.pulseTime;
    return smaller(shortest, shortestLifetime(run));
}

// [s] How long the run lasts: diffusion must not reach the far end.
double runDuration(const ExperimentState &state, const RunSetup &run) {
    switch (run.technique) {
    case 1:
        return run.points * state.dropTime;
    case 5:
        return run.points * 2.0 * state.pulseTime;
    default: // every drop starts afresh
        return larger(state.dropTime, state.pulseTime);
    }
}

// The accurate grid: the first box a small fraction of the shortest diffusion or reaction
// layer, a slow expansion, and at least six diffusion lengths of the whole run.
GridShape accurateShape(const ExperimentState &state, const RunSetup &run) {
    const double diffusion = smallestDiffusion(run);
    const double time = resolvedTime(state, run);
    const double h = checkedFinite(kFirstBoxFraction * std::sqrt(diffusion * time));
    if (!(h > 0))
        throw RuntimeError(kDivisionByZero);
    const double reach = checkedDivide(
        kExtentFactor * std::sqrt(largestDiffusion(run) * runDuration(state, run)), h);
    // The expansion grows only where the boxes would not fit into the solver.
    for (double factor = kAccurateExpansion;; factor += 0.05) {
        const double beta = std::log(factor);
        const double extent = std::ceil(checkedFinite(std::log1p(reach * (factor - 1.0)) / beta));
        if (extent <= kMaxBoxes) {
            const int boxes = static_cast<int>(larger(extent, 2.0));
            const double lambda = 1.0 / (kFirstBoxFraction * kFirstBoxFraction);
            return {lambda, diffusion, time, h, beta, boxes, boxes};
        }
    }
}

// Around a sphere or a cylinder the concentration varies on the scale of the radius as well as
// on that of sqrt(D dt): the first box must be small against both, and the boxes may grow only
// slowly where the field bends, so that the solution converges to the exact one.
constexpr double kBoxesPerRadius = 50.0;
constexpr double kCurvedExpansion = 0.15;

bool curvedElectrode(const ExperimentState &state) {
    return state.electrode >= 2 && state.electrode <= 6;
}

// Number of boxes (a real number) that reach `reach` first boxes growing by exp(beta).
double boxesToReach(double reach, double beta) {
    return 2.0 + std::log1p(reach * std::expm1(beta)) / beta;
}

// The grid of `shape` refined for a curved electrode of radius r0: a first box of at most
// r0 / 50 and a slow expansion; a very small radius that would need more boxes than the
// solver holds gets boxes that grow faster instead.
GridShape curvedShape(const ExperimentState &state, const RunSetup &run, GridShape shape) {
    const double radial = checkedDivide(state.radius, kBoxesPerRadius);
    if (radial < shape.firstBox) {
        shape.firstBox = radial;
        shape.lambda = checkedDivide(shape.diffusion * shape.time, radial * radial);
    }
    const double reach = checkedDivide(
        kExtentFactor * std::sqrt(largestDiffusion(run) * runDuration(state, run)), shape.firstBox);
    double beta = smaller(shape.beta, kCurvedExpansion);
    double extent = checkedFinite(boxesToReach(reach, beta));
    while (beta < 1.0 && extent > kMaxBoxes) {
        beta = smaller(1.0, 1.25 * beta);
        extent = boxesToReach(reach, beta);
    }
    shape.beta = beta;
    shape.boxes = static_cast<int>(std::nearbyint(extent));
    shape.gridBoxes = static_cast<int>(std::floor(extent));
    return shape;
}

void buildGrid(const ExperimentState &state, RunSetup &run) {
    GridShape shape =
        run.technique == 1 && !run.fineGrid ? standardShape(state, run) : accurateShape(state, run);
    if (curvedElectrode(state))
        shape = curvedShape(state, run, shape);
    run.boxes = shape.boxes;
    run.gridBoxes = shape.gridBoxes;
    if (run.boxes > kMaxBoxes)
        throw RuntimeError(kSubscriptOutOfRange);

    const double h = shape.firstBox;
    run.firstBox = h;
    run.lambda = shape.lambda;
    run.gridDiffusion = shape.diffusion;
    run.gridTime = shape.time;
    const GridPoints grid = gridPoints(run.gridBoxes + 1, shape.beta);
    run.surfaceDistance = h * grid.c[1];
    // The radius in units of the first box's width, so that a large electrode tends to planar.
    const double r0 = curvedElectrode(state) ? checkedDivide(state.radius, h) : 0.0;

    run.a.fill(0.0);
    run.b.fill(0.0);
    for (int k = 1; k <= run.gridBoxes; ++k) {
        // Box 1's inner face is the electrode: its factor carries the electrode's area, so
        // that what leaves the electrode is what box 1 receives.
        const double cIn = k == 1 ? grid.c[1] : grid.c[k] - grid.c[k - 1];
        const FaceFactors f = faceFactors(state.electrode, r0, grid.x[k], grid.x[k + 1], cIn,
                                          grid.c[k + 1] - grid.c[k]);
        run.a[k] = f.a;
        run.b[k] = f.b;
    }
}

RunSetup setUpRun(const ExperimentState &state, bool fineGrid) {
    RunSetup run;
    run.technique = checkedCode<int>(state.technique, 1, 5);
    checkedCode<int>(state.electrode, 1, 8);
    run.mechanism = &kMechanisms[checkedCode<int>(state.mechanism, 1, 17)];
    run.chargeSteps = chargeStepCount(run.mechanism->closure);
    run.points = state.pointCount;
    run.fineGrid = fineGrid;

    const int species = run.mechanism->species;
    run.reference = state.cInit[1];
    for (int j = 2; j <= species; ++j)
        run.reference = larger(run.reference, state.cInit[j]);
    for (int j = 0; j < species; ++j) {
        run.bulk[j] = checkedDivide(state.cInit[j + 1], run.reference);
        run.diffusion[j] = state.diffusion[j + 1];
        if (!(run.diffusion[j] > 0))
            throw RuntimeError(kDivisionByZero);
    }

    scaleChemistry(state, run);
    buildGrid(state, run);
    run.currentScale = kCurrentScale * state.area * run.reference;
    return run;
}

// Matrices over all four species; a run uses the leading S x S part.
using SpeciesMatrix = std::array<std::array<double, 4>, 4>;

SpeciesMatrix identity() {
    SpeciesMatrix m{};
    for (int s = 0; s < 4; ++s)
        m[s][s] = 1.0;
    return m;
}

// Q, and P before the Butler-Volmer rows: the balance of the fluxes D (c1 - c0) / Delta of the
// mechanism's couples, written in the row of the couple's reduced species and divided by its
// diffusion coefficient.
SpeciesMatrix electrodeFlags(Closure closure, const std::array<double, 4> &d) {
    SpeciesMatrix m = identity();
    m[B][A] = d[A] / d[B];
    if (closure == Closure::Chain || closure == Closure::ThreeSteps)
        m[B][C] = d[C] / d[B];
    if (closure == Closure::ThreeSteps)
        m[B][D] = d[D] / d[B];
    if (closure == Closure::TwoCouples)
        m[D][C] = d[C] / d[D];
    return m;
}

bool hasSecondOrderStep(const Mechanism &mechanism) {
    for (int k = 0; k < mechanism.chemicalSteps; ++k)
        if (mechanism.chemistry[k].forwardMultiplicity != 1.0)
            return true;
    return false;
}

// The block of one box over a time step dt [s]: the diagonal 1 + La + Lb of each species and
// the chemical couplings. A step "2B = X" runs at kf b^2 - kb x, taken as its tangent
// kf (2 b* b - b*^2) - kb x about the concentration `latest` (b*) of B in the box; it removes
// two B for each X, so B + 2X is conserved.
SpeciesMatrix boxBlock(const RunSetup &run, const std::array<double, 4> &diagonal, double dt,
                       const std::array<double, 4> &latest = {}) {
    SpeciesMatrix m{};
    for (int s = 0; s < 4; ++s)
        m[s][s] = diagonal[s];
    for (int k = 0; k < run.mechanism->chemicalSteps; ++k) {
        const ChemicalStep &chem = run.mechanism->chemistry[k];
        const double backward = run.kb[k] * dt;
        if (chem.forwardMultiplicity == 1.0) {
            const double forward = run.kf[k] * dt;
            m[chem.from][chem.from] += forward;
            m[chem.to][chem.from] -= forward;
            m[chem.to][chem.to] += backward;
            m[chem.from][chem.to] -= backward;
            continue;
        }
        const double nu = chem.forwardMultiplicity;
        const double slope = run.kf[k] * dt * 2.0 * latest[chem.from];
        m[chem.from][chem.from] += nu * slope;
        m[chem.to][chem.from] -= slope;
        m[chem.to][chem.to] += backward;
        m[chem.from][chem.to] -= nu * backward;
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

using Currents = std::array<double, kMaxChargeSteps>;

template <int S> class Simulation {
public:
    using Solver = BlockTridiagonalSolver<S>;
    using Block = typename Solver::Block;
    using Vector = typename Solver::Vector;
    using Profile = typename Solver::Profile;

    Simulation(const ExperimentState &state, const RunSetup &run, double resistance,
               const MatrixMessage &message, const std::function<void(int)> &pointDone)
        : state_(state), run_(run), resistance_(resistance), message_(message),
          pointDone_(pointDone) {}

    void run(CurveStore &store) {
        flags_ = electrodeFlags(run_.mechanism->closure, run_.diffusion);
        resetProfile();
        switch (run_.technique) {
        case 1:
            sweep(store);
            break;
        case 5:
            squareWave(store);
            break;
        default:
            drops(store);
            break;
        }
    }

private:
    // A solver prepared for one length of time step.
    struct Stepper {
        double dt = 0;
        Solver solver;
    };

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

    // Prepares `solver` for a step of dt [s]; `latest` is the profile about which a
    // second-order step is linearised.
    void prepare(Solver &solver, double dt, const Profile *latest) {
        typename Solver::Coefficients la{};
        typename Solver::Coefficients lb{};
        typename Solver::Blocks blocks{};
        for (int k = 1; k <= run_.boxes; ++k) {
            std::array<double, 4> diagonal{};
            std::array<double, 4> around{};
            for (int s = 0; s < S; ++s) {
                const double lambda = run_.lambda * (run_.diffusion[s] / run_.gridDiffusion) *
                                      (dt / run_.gridTime); // D dt / h^2
                la[k][s] = lambda * run_.a[k];
                lb[k][s] = lambda * run_.b[k];
                diagonal[s] = 1.0 + la[k][s] + lb[k][s];
                if (latest)
                    around[s] = (*latest)[k][s];
            }
            blocks[k] = leading(boxBlock(run_, diagonal, dt, around));
        }
        solver.prepare(run_.boxes, la, lb, blocks, leading(flags_), message_);
    }

    Solver &solverFor(double dt) {
        for (const auto &stepper : steppers_)
            if (stepper->dt == dt)
                return stepper->solver;
        auto stepper = std::make_unique<Stepper>();
        stepper->dt = dt;
        prepare(stepper->solver, dt, nullptr);
        steppers_.push_back(std::move(stepper));
        return steppers_.back()->solver;
    }

    // The electrode matrix P at the electrode potential e [V]; sets the rate constants. The
    // potential often stays for many steps, so the last matrix is kept.
    const Block &electrodeMatrix(double e) {
        if (e == matrixPotential_)
            return matrix_;
        const Closure closure = run_.mechanism->closure;
        for (int j = 0; j < run_.chargeSteps; ++j) {
            const double phi = state_.electrons[j + 1] * state_.fOverRT * (e - state_.e0[j + 1]);
            kf_[j] = state_.ks[j + 1] * checkedExp(-state_.alpha[j + 1] * phi);
            kb_[j] = state_.ks[j + 1] * checkedExp((1.0 - state_.alpha[j + 1]) * phi);
        }
        // Delta / D of the species in whose row a rate is written [s/cm].
        auto df = [this](int species) { return run_.surfaceDistance / run_.diffusion[species]; };
        SpeciesMatrix p = flags_;
        auto reactant = [&](int j) {
            const Couple couple = coupleOf(closure, j);
            const double f = df(couple.oxidised);
            addReactantRow(p, couple, f * kf_[j], f * kb_[j]);
        };
        auto product = [&](int j) {
            const Couple couple = coupleOf(closure, j);
            const double f = df(couple.reduced);
            addProductRow(p, couple, f * kf_[j], f * kb_[j]);
        };
        reactant(0);
        if (closure == Closure::TwoCouples)
            reactant(1);
        if (closure == Closure::Chain || closure == Closure::ThreeSteps)
            product(1);
        if (closure == Closure::ThreeSteps) {
            reactant(2);
            product(2);
        }
        matrixPotential_ = e;
        matrix_ = leading(p);
        return matrix_;
    }

    // Current of each step [A] from the surface concentrations, positive for net oxidation.
    Currents currentsAt(const Vector &surface) const {
        Currents currents{};
        for (int j = 0; j < run_.chargeSteps; ++j) {
            const Couple couple = coupleOf(run_.mechanism->closure, j);
            const double flux =
                kb_[j] * surface[couple.reduced] - kf_[j] * surface[couple.oxidised];
            currents[j] = checkedFinite(run_.currentScale * state_.electrons[j + 1] * flux);
        }
        return currents;
    }

    double total(const Currents &currents) const {
        double sum = 0.0;
        for (int j = 0; j < run_.chargeSteps; ++j)
            sum += currents[j];
        return sum;
    }

    // The total current of the time step in hand when the electrode sees the potential e.
    double trialCurrent(Solver &solver, double e) {
        return total(currentsAt(solver.surface(electrodeMatrix(e), message_)));
    }

    // The electrode potential [V] of a time step under ohmic drop: the cell drives `applied`
    // across the electrode and Ru in series, so the electrode sees applied - Ru I with the
    // current I (anodic positive) that it passes itself. The residual r(I) = I - I(applied - Ru I)
    // rises with I and changes sign between 0 and I(applied); regula falsi with the Illinois
    // modification finds its root.
    double electrodePotential(Solver &solver, double applied) {
        const double unloaded = trialCurrent(solver, applied);
        auto residual = [&](double current) {
            return current - trialCurrent(solver, applied - resistance_ * current);
        };
        double low = 0.0, rLow = -unloaded;
        double high = unloaded, rHigh = residual(unloaded);
        const double tolerance = 1e-13 * std::abs(unloaded);
        for (int i = 0; i < kResistanceIterations && rLow != 0.0 && rHigh != 0.0 &&
                        std::abs(high - low) > tolerance;
             ++i) {
            const double next = checkedFinite(high - rHigh * (high - low) / (rHigh - rLow));
            const double rNext = residual(next);
            if ((rNext > 0) == (rHigh > 0)) {
                rLow *= 0.5;
            } else {
                low = high;
                rLow = rHigh;
            }
            high = next;
            rHigh = rNext;
        }
        const double current = std::abs(rLow) < std::abs(rHigh) ? low : high;
        return applied - resistance_ * current;
    }

    // One fully implicit time step of dt [s] ending at the applied potential e [V].
    Currents implicitStep(Profile &profile, double dt, double applied) {
        if (secondOrder_)
            return linearisedStep(profile, dt, applied);
        return solvedStep(solverFor(dt), profile, applied);
    }

    Currents solvedStep(Solver &solver, Profile &profile, double applied) {
        solver.eliminate(profile);
        const double e = resistance_ > 0.0 ? electrodePotential(solver, applied) : applied;
        profile[0] = solver.surface(electrodeMatrix(e), message_);
        solver.substitute(profile);
        return currentsAt(profile[0]);
    }

    // The implicit step of a mechanism with a second-order step: Newton's method, each
    // iteration the step with the rate linearised about the latest profile, until the
    // concentrations stop changing (1e-12 of the reference).
    Currents linearisedStep(Profile &profile, double dt, double applied) {
        copyProfile(profile, start_);
        copyProfile(profile, latest_);
        Currents currents{};
        for (int iteration = 0; iteration < kChemistryIterations; ++iteration) {
            prepare(*linearised_, dt, &latest_);
            copyProfile(start_, profile);
            addTangentSource(profile, dt);
            currents = solvedStep(*linearised_, profile, applied);
            double change = 0.0;
            for (int k = 0; k <= run_.boxes; ++k)
                for (int s = 0; s < S; ++s)
                    change = larger(change, std::abs(profile[k][s] - latest_[k][s]));
            copyProfile(profile, latest_);
            if (change <= 1e-12)
                break;
        }
        return currents;
    }

    // The constant part kf b*^2 dt of the tangent rate, on the right-hand side of each box.
    void addTangentSource(Profile &profile, double dt) const {
        for (int m = 0; m < run_.mechanism->chemicalSteps; ++m) {
            const ChemicalStep &chem = run_.mechanism->chemistry[m];
            if (chem.forwardMultiplicity == 1.0)
                continue;
            for (int k = 1; k <= run_.boxes; ++k) {
                const double b = latest_[k][chem.from];
                const double source = run_.kf[m] * dt * b * b;
                profile[k][chem.from] += chem.forwardMultiplicity * source;
                profile[k][chem.to] -= source;
            }
        }
    }

    // A second-order step of dt [s] during which the applied potential moves linearly from
    // `from` to `to` [V]: twice the result of two half steps less that of one whole step
    // (extrapolation of the implicit scheme, which keeps it free of oscillation).
    Currents secondOrderStep(double dt, double from, double to) {
        copyProfile(profile_, one_);
        const Currents y1 = implicitStep(one_, dt, to);
        implicitStep(profile_, dt / 2, from + (to - from) / 2);
        const Currents y2 = implicitStep(profile_, dt / 2, to);
        for (int i = 0; i <= run_.boxes; ++i)
            for (int s = 0; s < S; ++s)
                profile_[i][s] = 2.0 * profile_[i][s] - one_[i][s];
        Currents currents{};
        for (int j = 0; j < run_.chargeSteps; ++j)
            currents[j] = 2.0 * y2[j] - y1[j];
        return currents;
    }

    // A third-order step of dt [s] during which the applied potential moves linearly from
    // `from` to `to` [V]: the fully implicit scheme run with one, two and three sub-steps,
    // y1, y2, y3, extrapolated to a vanishing step, y = y1/2 - 4 y2 + 9 y3/2 (the weights
    // cancel the errors in dt and dt^2 of the sub-step lengths dt, dt/2, dt/3). Like the
    // implicit scheme it damps the stiff modes, so a jump does not make it oscillate.
    Currents thirdOrderStep(double dt, double from, double to) {
        copyProfile(profile_, one_);
        const Currents y1 = implicitStep(one_, dt, to);
        copyProfile(profile_, two_);
        implicitStep(two_, dt / 2, from + (to - from) / 2);
        const Currents y2 = implicitStep(two_, dt / 2, to);
        implicitStep(profile_, dt / 3, from + (to - from) / 3);
        implicitStep(profile_, dt / 3, from + 2 * (to - from) / 3);
        const Currents y3 = implicitStep(profile_, dt / 3, to);
        for (int i = 0; i <= run_.boxes; ++i)
            for (int s = 0; s < S; ++s)
                profile_[i][s] = 0.5 * one_[i][s] - 4.0 * two_[i][s] + 4.5 * profile_[i][s];
        Currents currents{};
        for (int j = 0; j < run_.chargeSteps; ++j)
            currents[j] = 0.5 * y1[j] - 4.0 * y2[j] + 4.5 * y3[j];
        return currents;
    }

    void copyProfile(const Profile &from, Profile &to) const {
        for (int i = 0; i <= run_.boxes + 1; ++i)
            to[i] = from[i];
    }

    // An interval of `duration` [s] at the constant potential e that follows a jump; returns
    // the currents at its end.
    Currents hold(double duration, double e) {
        secondOrderStep(kHoldFirstFraction * duration, e, e);
        return thirdOrderStep((1.0 - kHoldFirstFraction) * duration, e, e);
    }

    // An interval of `duration` [s] over which the potential moves linearly from `from` to
    // `to`, in sub-steps of at most kRampPotentialStep; returns the currents at its end.
    Currents ramp(double duration, double from, double to) {
        const int steps = static_cast<int>(
            larger(std::ceil(std::abs(to - from) / kRampPotentialStep - 1e-9), 1.0));
        const double dt = duration / steps;
        Currents currents{};
        for (int i = 1; i <= steps; ++i)
            currents = secondOrderStep(dt, from + (to - from) * (i - 1) / steps,
                                       from + (to - from) * i / steps);
        return currents;
    }

    void record(CurveStore &store, int p, const Currents &currents) {
        for (int j = 0; j < run_.chargeSteps; ++j)
            store.reactionCurrent(p, j + 1) = checkedFinite(currents[j]);
        for (int s = 0; s < S; ++s)
            store.surfaceConc(p, s + 1) = checkedFinite(run_.reference * profile_[0][s]);
        if (pointDone_)
            pointDone_(p);
    }

    // Technique 1. The standard grid holds each point's potential for one implicit step of td;
    // the fine grid starts from rest at the first point's potential and then follows the true
    // linear ramp from point to point, each point's current taken as the ramp reaches it.
    void sweep(CurveStore &store) {
        const double td = state_.dropTime;
        for (int p = 1; p <= run_.points; ++p) {
            const double ep = store.potential(p);
            if (!run_.fineGrid)
                record(store, p, implicitStep(profile_, td, ep));
            else if (p == 1)
                record(store, p, hold(td, ep));
            else
                record(store, p, ramp(td, store.potential(p - 1), ep));
        }
    }

    // Techniques 2-4: every point is a new drop from rest. DC samples the end of the drop;
    // normal pulse holds eStart for td - tp and samples the end of the pulse to Ep + Epulse;
    // differential pulse holds Ep for td - tp and stores the end of the pulse (against the scan
    // on the return sweep) less the end of the hold.
    void drops(CurveStore &store) {
        const double td = state_.dropTime;
        const double tp = state_.pulseTime;
        const double pulse = state_.pulseAmplitude;
        for (int p = 1; p <= run_.points; ++p) {
            const double ep = store.potential(p);
            resetProfile();
            if (run_.technique == 2) {
                record(store, p, hold(td, ep));
                continue;
            }
            const double base = run_.technique == 3 ? state_.eStart : ep;
            Currents before{};
            if (td > tp)
                before = hold(td - tp, base);
            if (run_.technique == 3) {
                record(store, p, hold(tp, ep + pulse));
                continue;
            }
            const Currents after = hold(tp, ep + pulseWithScan(p));
            Currents difference{};
            for (int j = 0; j < run_.chargeSteps; ++j)
                difference[j] = after[j] - before[j];
            record(store, p, difference);
        }
    }

    // The differential pulse and the square wave's forward half-period go with the scan: with
    // E pulse on the first and third sweeps, against it on the second, so that the return
    // sweep's peaks mirror the forward ones.
    double pulseWithScan(int p) const {
        const int np = state_.pointsPerSweep;
        const bool forward = p <= np || (p > 2 * np && p <= 3 * np);
        return forward ? state_.pulseAmplitude : -state_.pulseAmplitude;
    }

    // Technique 5, run on from point to point: the forward half-period Ep + Epulse, then the
    // reverse one Ep - Epulse, each sampled at its end; the net current is forward less reverse.
    void squareWave(CurveStore &store) {
        const double tp = state_.pulseTime;
        for (int p = 1; p <= run_.points; ++p) {
            const double ep = store.potential(p);
            const double pulse = pulseWithScan(p);
            const Currents forward = hold(tp, ep + pulse);
            const Currents reverse = hold(tp, ep - pulse);
            Currents net{};
            for (int j = 0; j < run_.chargeSteps; ++j)
                net[j] = forward[j] - reverse[j];
            record(store, p, net);
        }
    }

    const ExperimentState &state_;
    const RunSetup &run_;
    const double resistance_; // [ohm]
    const MatrixMessage &message_;
    const std::function<void(int)> &pointDone_;
    std::vector<std::unique_ptr<Stepper>> steppers_;
    Profile profile_{};
    const bool secondOrder_ = hasSecondOrderStep(*run_.mechanism);
    std::unique_ptr<Solver> linearised_ = std::make_unique<Solver>();
    Profile start_{};  // the profile before a linearised step
    Profile latest_{}; // the latest iterate of a linearised step
    Profile one_{};    // the profile after one whole step, and after two half steps,
    Profile two_{};    // for the extrapolation
    SpeciesMatrix flags_{};
    std::array<double, kMaxChargeSteps> kf_{}; // [cm/s] at matrixPotential_
    std::array<double, kMaxChargeSteps> kb_{};
    double matrixPotential_ = HUGE_VAL; // [V]
    Block matrix_{};                    // P at matrixPotential_
};

template <int S>
void simulate(const ExperimentState &state, const RunSetup &run, CurveStore &store,
              double resistance, const MatrixMessage &message,
              const std::function<void(int)> &pointDone) {
    auto simulation = std::make_unique<Simulation<S>>(state, run, resistance, message, pointDone);
    simulation->run(store);
}

} // namespace

void runDigitalSimulation(const ExperimentState &state, CurveStore &store,
                          double uncompensatedResistance,
                          const std::function<void(const std::string &)> &message, bool fineGrid,
                          const std::function<void(int)> &pointDone) {
    if (state.electrode == 4) {
        if (microdiscSimulatesMechanism(state.mechanism)) {
            runMicrodiscSimulation(state, store, uncompensatedResistance);
            return;
        }
        // Chemistry at a microdisc runs at the hemisphere of the disc's area with its steady
        // current 4 n F D C r, radius pi r / 4: exact at short times and in the steady state.
        ExperimentState hemisphere = state;
        hemisphere.electrode = 3;
        hemisphere.radius = kPi * state.radius / 4;
        runDigitalSimulation(hemisphere, store, uncompensatedResistance, message, fineGrid,
                             pointDone);
        return;
    }
    const RunSetup run = setUpRun(state, fineGrid);
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
