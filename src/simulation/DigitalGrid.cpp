#include "simulation/DigitalGrid.h"

#include "shell/Constants.h"
#include "shell/RuntimeError.h"
#include "simulation/LargerSmaller.h"
#include "simulation/PotentialProgramme.h"

#include <cmath>

namespace kemvo::digital {
namespace {

// The standard grid holds D dt / h^2 = 10 at its first box; every grid spans six diffusion
// lengths of the whole run.
constexpr double kModelDiffusion = 10.0;
constexpr double kExtentFactor = 6.0;
// The accurate grid: first box [fraction of the shortest layer] and expansion per box.
constexpr double kFirstBoxFraction = 0.1;
constexpr double kAccurateExpansion = 1.7;
constexpr double kCurrentScale = kFaraday * kMolarToPerCm3; // [C/mol * L/cm^3]

template <class T> T checkedCode(T code, T first, T last) {
    if (code < first || code > last)
        throw RuntimeError(kSubscriptOutOfRange);
    return code;
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

// [s] How long the run lasts: diffusion must not reach the far end.
double runDuration(const ExperimentState &state, const RunSetup &run) {
    switch (run.technique) {
    case 1:
        return state.quietTime > 0 || state.vertexHold > 0
                   ? run.points * state.dropTime + state.quietTime + vertexHoldTime(state)
                   : run.points * state.dropTime;
    case 5:
        return run.points * 2.0 * state.pulseTime;
    default: // every drop starts afresh
        return larger(state.dropTime, state.pulseTime);
    }
}

// The standard grid: the first box holds D dt / h^2 = 10 for the time step dt = td (or, when
// a chemical step relaxes faster, for its lifetime), the boxes grow by e, and the extent is
// Mr = 2 + ln(1 + 6 (e - 1) L / h) with L = sqrt(N D td) the diffusion length of the run.
// M = Mr rounded; box M has no geometry factors when the rounding goes up.
GridShape standardShape(const ExperimentState &state, const RunSetup &run) {
    const double time = smaller(state.dropTime, shortestLifetime(*run.mechanism, run.chemistry));
    const double diffusion = smallestDiffusion(run);
    const double h = checkedFinite(std::sqrt(checkedDivide(diffusion * time, kModelDiffusion)));
    double length = checkedFinite(std::sqrt(run.points * largestDiffusion(run) * state.dropTime));
    // The quiet time and the vertex holds lengthen the run.
    if (run.technique == 1 && (state.quietTime > 0 || state.vertexHold > 0))
        length = checkedFinite(std::sqrt(runDuration(state, run) * largestDiffusion(run)));
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
        return smaller(rampTime, shortestLifetime(*run.mechanism, run.chemistry));
    }
    const double shortest = run.technique == 2 ? state.dropTime : state.pulseTime;
    return smaller(shortest, shortestLifetime(*run.mechanism, run.chemistry));
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

} // namespace

RunSetup setUpRun(const ExperimentState &state, bool fineGrid) {
    RunSetup run;
    run.technique = checkedCode<int>(state.technique, 1, 5);
    checkedCode<int>(state.electrode, 1, 8);
    run.mechanism = &mechanismOf(state.mechanism);
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

    run.chemistry = chemistryRates(state, *run.mechanism, run.reference);
    buildGrid(state, run);
    run.currentScale = kCurrentScale * state.area * run.reference;
    return run;
}

} // namespace kemvo::digital
