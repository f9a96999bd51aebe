#pragma once
// Marquardt least squares with box bounds: one iteration per call on the normal equations
// scaled to a unit diagonal, a Jacobian by central differences, and the Marquardt factor
// lambda raised after each failed trial (D. W. Marquardt, J. Soc. Ind. Appl. Math. 11 (1963)
// 431). The caller repeats the call while the flag stays positive.

#include <functional>
#include <limits>
#include <vector>

namespace kemvo {

inline constexpr int kMaxFitParameters = 21;

// The model: fills ycalc (n values) for the parameter vector x (np values). Raises RuntimeError
// when it cannot be evaluated (an overflow, a failed simulation).
using FitModel = std::function<void(const std::vector<double> &x, std::vector<double> &ycalc)>;

// The model at several parameter vectors, which it may evaluate side by side: ys[p] for xs[p],
// left empty where the model raised RuntimeError for xs[p].
using FitModels = std::function<void(const std::vector<std::vector<double>> &xs,
                                     std::vector<std::vector<double>> &ys)>;

// What stays fixed through one fit.
struct MarquardtProblem {
    FitModel model;
    FitModels models;          // optional: the Jacobian's columns evaluated together when given
    std::vector<double> ymeas; // measured curve, n points
    std::vector<double> lower; // bounds of each parameter
    std::vector<double> upper;
    std::vector<bool> free; // false: held at its value
    // Difference step of each parameter for the Jacobian: a positive value is used as it is;
    // 0 means 0.01 |x|, or zeroStep when x is 0.
    std::vector<double> fixedStep;
    std::vector<double> zeroStep; // per parameter; empty: derivStep0 for all
    // The smallest move of each parameter that still counts as a move, for the convergence
    // test; an entry of 0, or none: 1e-9 |x|.
    std::vector<double> moveFloor;
    double dataVar = 0;    // variance of ymeas about its mean
    double derivStep0 = 0; // difference step of a parameter whose value is 0

    int parameterCount() const { return static_cast<int>(lower.size()); }
    int pointCount() const { return static_cast<int>(ymeas.size()); }
    // Difference step of parameter j at the value x.
    double differenceStep(int j, double x) const;
    // Sum of ymeas^2: the scale of the test that freezes a parameter without influence.
    double measuredSquares() const;
};

// The trial vector X, the step S and the factor lambda: they live as long as the application,
// so that a fit starts with the lambda the previous fit left.
struct MarquardtMemory {
    std::vector<double> trial;
    std::vector<double> step;
    double lambda = 0;
};

// The convergence flag: 1 while the fit goes on, else how it ended.
inline constexpr int kGoOn = 1;
inline constexpr int kPerfectFit = -1;       // the model reproduces the data to rounding
inline constexpr int kConverged = -2;        // a nearly Gauss-Newton step moved nothing that counts
inline constexpr int kIterationsUsedUp = -3; // the iteration limit came first
inline constexpr int kNoDecrease = -4;       // lambda passed its limit without a better trial
inline constexpr int kStoppedByUser = -5;

// What the report says of each flag: "converged", "not converged: iteration limit" ...
const char *convergenceText(int flag);

// The arguments passed back in from call to call of one fit.
struct MarquardtRun {
    std::vector<double> x;     // current parameters
    std::vector<double> ycalc; // model at the last evaluated trial
    double phi = 0;            // sum of squared residuals at x
    int state = 0;             // 0 before the first call of a fit
    int flag = 0;              // kGoOn, or how the fit ended (kPerfectFit ... kStoppedByUser)
    int marquardts = 0;        // increases of lambda in this fit
    int evaluations = 0; // the start and every trial simulated, failed ones too (not the Jacobian)
    int modelRuns = 0;   // every evaluation of the model, the Jacobian's included
    bool lambdaExhausted = false; // the last call ended because lambda passed 1000

    // The lowest least square met at a trial of this fit and its parameters: a call that
    // ends on the lambda limit returns a worse trial than the point it started from.
    std::vector<double> bestX;
    double bestPhi = std::numeric_limits<double>::infinity();
    // Which parameters the last call froze for want of influence on the curve.
    std::vector<bool> frozen;

    explicit MarquardtRun(std::vector<double> start) : x(std::move(start)) {}
};

// One iteration. The fit has converged (kConverged) when the last accepted step, taken at
// lambda <= 1e-3 on the scaled normal matrix, moved every determined parameter by less than
// max(1e-3 SE, moveFloor); a Gauss-Newton step that small ends the fit as converged also when
// rounding keeps it from decreasing phi. The first call (state 0) evaluates the start and raises
// RuntimeError when that fails; a trial that fails later is rejected like a trial that does not
// decrease phi. A step that would carry a parameter beyond a bound stops it on the bound; one on a
// bound whose step points outwards stays there.
void Marquardt(const MarquardtProblem &problem, MarquardtMemory &memory, MarquardtRun &run);

// The fit loop of the commands: calls Marquardt on a fresh run (state 0) until the flag is no
// longer positive or the 51st call (flag kIterationsUsedUp), and after each call runs
// afterIteration (with the iteration count), which may end the fit by returning false (flag
// kStoppedByUser). The run keeps what was reached when an exception leaves the loop.
inline constexpr int kIterationLimit = 50; // the loop stops once the count exceeds it
void runMarquardtFit(const MarquardtProblem &problem, MarquardtMemory &memory, MarquardtRun &run,
                     const std::function<bool(const MarquardtRun &, int)> &afterIteration);

// The Jacobian J(i, j) = d ycalc(i) / d x(j) at x by central differences, stored by columns
// (j * n + i); ycalc is the model at x, used for a one-sided difference when one side fails.
// Returns the number of model runs; a column whose both sides fail is 0.
int centralJacobian(const MarquardtProblem &problem, std::vector<double> x,
                    const std::vector<double> &ycalc, std::vector<double> &jacobian);

} // namespace kemvo
