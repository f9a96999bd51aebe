#pragma once
// Several starts of one fit: the typed start and further starts spread over the bounds by a
// Latin hypercube, each fitted by the Marquardt engine in its own worker, the best kept.
// Positive scale parameters (rate constants, concentrations, Cdl, Ru) span decades: they are
// stepped, differenced and sampled in their logarithm, unless their lower bound is 0.

#include "fitting/FitUncertainty.h"
#include "fitting/Marquardt.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace kemvo {

// The seed of the further starts: fixed, so that a refit gives the same answer.
inline constexpr std::uint64_t kStartSeed = 0x6b656d766f2d3236;
inline constexpr int kDefaultFurtherStarts = 8;

// Which parameters a problem in parameter units steps in their logarithm: those with a positive
// lower bound among the candidates that are scale parameters.
std::vector<bool> logSteppedParameters(const std::vector<bool> &scaleParameter,
                                       const std::vector<double> &lower);

// The problem in the engine's coordinates, u = ln x for a log-stepped parameter: its model,
// bounds, difference step (0.01 in u, a 1 % change of x) and move floor (1e-9 in u) follow.
MarquardtProblem inEngineCoordinates(const MarquardtProblem &problem,
                                     const std::vector<bool> &logStepped);
std::vector<double> toEngine(std::vector<double> x, const std::vector<bool> &logStepped);
std::vector<double> fromEngine(std::vector<double> u, const std::vector<bool> &logStepped);

// The standard errors and correlations at the engine's u, in each parameter's own units
// (SE(x) = x SE(u) for a log-stepped one, to first order).
FitUncertainty uncertaintyInParameterUnits(const MarquardtProblem &engineProblem,
                                           const std::vector<double> &u,
                                           const std::vector<double> &ycalc, double phi,
                                           const std::vector<bool> &logStepped);

// count points of a Latin hypercube between the bounds (in the logarithm of a log-stepped
// parameter): each parameter's range cut into count equal strata, one point in each, the
// strata paired at random. Dimension by dimension from one generator, so the first d
// dimensions are those of a hypercube of d dimensions.
std::vector<std::vector<double>> latinHypercube(int count, const std::vector<double> &lower,
                                                const std::vector<double> &upper,
                                                const std::vector<bool> &logStepped,
                                                std::uint64_t seed);

// What one start reached.
struct StartOutcome {
    std::vector<double> x; // the best point, parameter units
    double phi = std::numeric_limits<double>::infinity();
    std::vector<double> ycalc; // the model at x
    int flag = 0;
    int iterations = 0;
    int evaluations = 0;
    int marquardts = 0;
    int modelRuns = 0;
    MarquardtMemory memory; // the engine's memory as the start left it
    std::string error;      // a start whose first simulation failed: its message
};

// The fit of several starts. Worker w (0 .. workers - 1) fits with problems[w], whose model is
// its own (its own copy of the experiment). Worker 0 runs on the calling thread and is the only
// one to call poll: after each of its iterations, and repeatedly while it waits for the others;
// poll returns true when the user asks to stop. The other workers see the stop through the
// flag, which their models may also read between points.
struct StartsRun {
    std::vector<MarquardtProblem> problems; // parameter units, one per worker
    std::vector<bool> logStepped;
    std::vector<std::vector<double>> starts; // parameter units
    MarquardtMemory memory;                  // each start begins with a copy
    std::atomic<bool> *stop = nullptr;
    // fraction of the starts done (0..1): returns true to stop.
    std::function<bool(double fraction)> poll;
    // After each iteration of the first start, which worker 0 fits.
    std::function<void(const MarquardtRun &, int iteration)> firstStartIteration;
};

// Runs every start and returns their outcomes in the order of the starts; a start stopped by
// the user keeps its best point with the flag kStoppedByUser.
std::vector<StartOutcome> runStarts(StartsRun &run);

// The points of one Jacobian evaluated side by side: `own` on the calling thread, and the
// models that `others` makes (each with its own copy of the experiment, made once, when first
// needed) on threads of their own; the values do not depend on how many there are. When the
// first point took less time than starting a thread costs, the calling thread evaluates them
// all. ys[p] holds n values, or none where its model raised RuntimeError or gave a value that is
// not finite. A stop requested inside any model (StopRequested) ends the call with
// StopRequested on the calling thread once every thread has returned.
FitModels modelsSideBySide(FitModel own, std::function<std::vector<FitModel>()> others,
                           std::size_t n);

// The index of the best outcome (the lowest phi, the first of equals), -1 when none has one.
int bestStart(const std::vector<StartOutcome> &outcomes);

// How many outcomes reached the best phi within the relative tolerance, or within the absolute
// floor.
int startsAtBest(const std::vector<StartOutcome> &outcomes, double tolerance = 1e-6,
                 double floor = 0);

// Worker threads on this machine: its cores, at least 1.
int coreCount();

} // namespace kemvo
