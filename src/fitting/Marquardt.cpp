#include "fitting/Marquardt.h"

#include "shell/RuntimeError.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace kemvo {
namespace {

constexpr double kInitialLambda = 1e-4;
constexpr double kLambdaLimit = 1000;
// A perfect fit leaves residuals at the rounding of the data: phi below this share of
// sum ymeas^2 (an rms residual some 1e-11 of the rms current).
constexpr double kPerfectShare = 1e-22;
// The convergence test: a step taken at lambda up to this on the unit-diagonal matrix is
// nearly Gauss-Newton, and one that moves no parameter by more than this share of its
// standard error, or than the move floor, moves nothing that counts.
constexpr double kNearlyGaussNewton = 1e-3;
constexpr double kShareOfStandardError = 1e-3;
constexpr double kRelativeMoveFloor = 1e-9;
constexpr double kRelativeStep = 0.01; // difference step relative to the value
constexpr double kNoInfluence = 1e-20; // times sum ymeas^2, for the freezing test
constexpr double kPivotFloor = 1e-15;
constexpr double kSmallestLambdaFactor = 2;
constexpr double kLargestLambdaFactor = 10;

std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

double sumOfSquaredResiduals(const std::vector<double> &ycalc, const std::vector<double> &ymeas) {
    double sum = 0;
    for (std::size_t i = 0; i < ymeas.size(); ++i) {
        double residual = ycalc[i] - ymeas[i];
        sum += residual * residual;
    }
    return checkedFinite(sum);
}

// Runs the model; false when it failed or gave a value that is not finite.
bool modelRunsCleanly(const MarquardtProblem &problem, const std::vector<double> &x,
                      std::vector<double> &y) {
    try {
        problem.model(x, y);
    } catch (const RuntimeError &) {
        return false;
    }
    return std::all_of(y.begin(), y.end(), [](double v) { return std::isfinite(v); });
}

// Dense np x (np + 1) system, stored by rows.
class NormalEquations {
public:
    explicit NormalEquations(int np) : np_(np), a_(at(np * (np + 1)), 0.0), scale_(at(np), 1) {}

    double &operator()(int row, int column) { return a_[at(row * (np_ + 1) + column)]; }
    double &gradient(int row) { return (*this)(row, np_); }
    double &scale(int j) { return scale_[at(j)]; }

    // Zeroes row and column j and puts 1 on the diagonal: the parameter does not move.
    void freeze(int j) {
        for (int k = 0; k < np_; ++k) {
            (*this)(j, k) = 0;
            (*this)(k, j) = 0;
        }
        gradient(j) = 0;
        (*this)(j, j) = 1;
    }

    // Diagonal of the inverse of the matrix (without the gradient), by Gauss-Jordan elimination
    // with the solver's pivot floor.
    std::vector<double> inverseDiagonal() const {
        std::vector<double> result(at(np_));
        for (int c = 0; c < np_; ++c) {
            NormalEquations unit = *this;
            for (int j = 0; j < np_; ++j)
                unit.gradient(j) = j == c ? 1.0 : 0.0;
            result[at(c)] = unit.solve(0)[at(c)];
        }
        return result;
    }

    // Divides by the square roots of the diagonal, so that the diagonal becomes 1.
    void scaleToUnitDiagonal() {
        for (int j = 0; j < np_; ++j)
            scale(j) = std::sqrt((*this)(j, j));
        for (int j = 0; j < np_; ++j) {
            gradient(j) /= scale(j);
            for (int k = j; k < np_; ++k) {
                (*this)(j, k) /= scale(j) * scale(k);
                (*this)(k, j) = (*this)(j, k);
            }
        }
    }

    // The solution of (A + lambda I) d = g by Gauss-Jordan elimination without row exchange;
    // a pivot smaller than the floor is replaced by it.
    std::vector<double> solve(double lambda) const {
        NormalEquations b = *this;
        for (int j = 0; j < np_; ++j)
            b(j, j) += lambda;
        for (int p = 0; p < np_; ++p) {
            double pivot = b(p, p);
            if (std::fabs(pivot) < kPivotFloor)
                pivot = kPivotFloor;
            for (int k = p + 1; k <= np_; ++k)
                b(p, k) /= pivot;
            for (int r = 0; r < np_; ++r) {
                if (r == p)
                    continue;
                double factor = b(r, p);
                for (int k = p + 1; k <= np_; ++k)
                    b(r, k) -= factor * b(p, k);
            }
        }
        std::vector<double> d(at(np_));
        for (int j = 0; j < np_; ++j)
            d[at(j)] = b.gradient(j);
        return d;
    }

private:
    int np_;
    std::vector<double> a_;
    std::vector<double> scale_;
};

class Iteration {
public:
    Iteration(const MarquardtProblem &problem, MarquardtMemory &memory, MarquardtRun &run)
        : p_(problem), m_(memory), r_(run), np_(problem.parameterCount()), n_(problem.pointCount()),
          equations_(np_) {}

    void run() {
        r_.lambdaExhausted = false;
        if (r_.state == 0 && !evaluateStart())
            return;
        formNormalEquations();
        trialLoop();
    }

private:
    enum class Trial { Evaluated, Failed, Perfect };

    bool perfect(double phi) const { return phi < kPerfectShare * p_.measuredSquares(); }

    // The standard error of each parameter at the start of this iteration, from the scaled
    // normal matrix: s^2 (A^-1)jj with s^2 = phi / (n - m), m the parameters not frozen.
    void estimateStandardErrors() {
        int determined = 0;
        for (int j = 0; j < np_; ++j)
            determined += r_.frozen[at(j)] ? 0 : 1;
        const double dof = n_ > determined ? n_ - determined : 1;
        const std::vector<double> diagonal = equations_.inverseDiagonal();
        standardError_.assign(at(np_), 0.0);
        for (int j = 0; j < np_; ++j) {
            double variance = r_.phi / dof * diagonal[at(j)];
            double se = std::sqrt(std::fabs(variance)) / equations_.scale(j);
            standardError_[at(j)] = std::isfinite(se) ? se : 0.0;
        }
    }

    // Whether the step now in memory moves no determined parameter by an amount that counts.
    bool movesNothing() const {
        for (int j = 0; j < np_; ++j) {
            const double x = r_.x[at(j)];
            const double step = m_.step[at(j)];
            const bool heldOnBound =
                (x <= p_.lower[at(j)] && step < 0) || (x >= p_.upper[at(j)] && step > 0);
            if (r_.frozen[at(j)] || heldOnBound)
                continue;
            const bool given = at(j) < p_.moveFloor.size() && p_.moveFloor[at(j)] > 0;
            const double floor = given ? p_.moveFloor[at(j)] : kRelativeMoveFloor * std::fabs(x);
            if (!(std::fabs(step) < std::max(kShareOfStandardError * standardError_[at(j)], floor)))
                return false;
        }
        return true;
    }

    void remember(const std::vector<double> &x, double phi) {
        if (phi < r_.bestPhi) {
            r_.bestPhi = phi;
            r_.bestX = x;
        }
    }

    // The start of a fit: its evaluation failing ends the fit with the model's error.
    bool evaluateStart() {
        m_.trial = r_.x;
        m_.step.assign(at(np_), 0.0);
        r_.ycalc.resize(at(n_));
        p_.model(m_.trial, r_.ycalc);
        r_.phi = sumOfSquaredResiduals(r_.ycalc, p_.ymeas);
        ++r_.evaluations;
        ++r_.modelRuns;
        remember(m_.trial, r_.phi);
        if (perfect(r_.phi)) {
            r_.flag = kPerfectFit;
            return false;
        }
        r_.state = 1;
        return true;
    }

    void formNormalEquations() {
        std::vector<double> jacobian;
        r_.modelRuns += centralJacobian(p_, m_.trial, r_.ycalc, jacobian);
        const double influenceFloor = kNoInfluence * p_.measuredSquares();
        r_.frozen.assign(at(np_), false);
        for (int j = 0; j < np_; ++j) {
            const double *Jj = &jacobian[at(j * n_)];
            double g = 0;
            for (int i = 0; i < n_; ++i)
                g += Jj[i] * (p_.ymeas[at(i)] - r_.ycalc[at(i)]);
            equations_.gradient(j) = g;
            for (int k = 0; k <= j; ++k) {
                const double *Jk = &jacobian[at(k * n_)];
                double sum = 0;
                for (int i = 0; i < n_; ++i)
                    sum += Jj[i] * Jk[i];
                equations_(j, k) = sum;
                equations_(k, j) = sum;
            }
        }
        for (int j = 0; j < np_; ++j) {
            double delta = p_.differenceStep(j, m_.trial[at(j)]);
            bool withoutInfluence = delta * delta * equations_(j, j) <= influenceFloor;
            if (!p_.free[at(j)] || withoutInfluence || !std::isfinite(equations_(j, j))) {
                r_.frozen[at(j)] = true;
                equations_.freeze(j);
            }
        }
        equations_.scaleToUnitDiagonal();
        estimateStandardErrors();
    }

    // The step at lambda. A parameter on a bound whose step points outwards is held there and
    // the step solved again without it, so that the others move as the held one allows.
    void takeStep(double lambda) {
        NormalEquations equations = equations_;
        std::vector<bool> held(at(np_), false);
        for (bool holding = true; holding;) {
            std::vector<double> d = equations.solve(lambda);
            holding = false;
            for (int j = 0; j < np_; ++j) {
                const double step = held[at(j)] ? 0.0 : d[at(j)] / equations_.scale(j);
                m_.step[at(j)] = step;
                const double x = r_.x[at(j)];
                if (!held[at(j)] &&
                    ((x <= p_.lower[at(j)] && step < 0) || (x >= p_.upper[at(j)] && step > 0))) {
                    held[at(j)] = true;
                    equations.freeze(j);
                    holding = true;
                }
            }
        }
    }

    static double lambdaFactor(Trial trial, double phiNew, double phi) {
        if (trial != Trial::Evaluated)
            return kLargestLambdaFactor;
        return std::clamp(phiNew / phi, kSmallestLambdaFactor, kLargestLambdaFactor);
    }

    // The first trial of every call is the Gauss-Newton step; each failure raises lambda.
    void trialLoop() {
        double &lambda = m_.lambda;
        double trialLambda = 0;
        double lastPhi = r_.phi;
        const std::vector<double> ycalcAtX = r_.ycalc;
        double nu = kSmallestLambdaFactor;
        bool accepted = false;
        bool converged = false;
        for (int t = 0;; ++t) {
            takeStep(trialLambda);
            // A Gauss-Newton step this small is the minimum to within what counts, whether or
            // not rounding lets its trial decrease phi.
            const bool smallStep = trialLambda <= kNearlyGaussNewton && movesNothing();
            const bool gaussNewtonSmall = t == 0 && smallStep;
            double phiNew = 0;
            Trial trial = evaluateTrial(phiNew);
            if (trial == Trial::Perfect)
                return;
            if (trial == Trial::Evaluated)
                lastPhi = phiNew;
            nu = lambdaFactor(trial, phiNew, r_.phi);
            if (trial == Trial::Evaluated && phiNew < r_.phi) {
                accepted = true;
                converged = smallStep;
                break;
            }
            if (gaussNewtonSmall) {
                converged = true;
                break;
            }
            if (t > 0)
                lambda *= nu;
            if (r_.marquardts == 0)
                lambda = kInitialLambda;
            trialLambda = lambda;
            ++r_.marquardts;
            if (!(lambda <= kLambdaLimit))
                break;
        }
        r_.lambdaExhausted = !accepted && !converged;
        if (r_.marquardts != 0 && !converged)
            lambda /= nu;
        r_.flag = converged ? kConverged : accepted ? kGoOn : kNoDecrease;
        if (!accepted) { // the point of this iteration stays the best one
            m_.trial = r_.x;
            r_.ycalc = ycalcAtX;
            return;
        }
        r_.x = m_.trial;
        r_.phi = lastPhi;
    }

    // Forms the trial x + S within the bounds and evaluates it. A parameter on a bound whose
    // step points outwards stays there; one inside its bounds that the step would carry beyond
    // them stops on the bound, so that a fit runs along a bound instead of crawling towards it
    // in ever shorter steps.
    Trial evaluateTrial(double &phiNew) {
        std::vector<double> X(at(np_));
        for (int j = 0; j < np_; ++j) {
            const std::size_t J = at(j);
            double x = r_.x[J];
            double t = x + m_.step[J];
            if (!std::isfinite(t))
                return Trial::Failed;
            bool below = t < p_.lower[J];
            bool above = t > p_.upper[J];
            if (below || above) {
                bool onBound = (below && x <= p_.lower[J]) || (above && x >= p_.upper[J]);
                m_.step[J] = onBound ? 0.0 : (below ? p_.lower[J] : p_.upper[J]) - x;
            }
            X[J] = x + m_.step[J];
        }
        std::vector<double> y(at(n_));
        ++r_.modelRuns;
        ++r_.evaluations;
        if (!modelRunsCleanly(p_, X, y))
            return Trial::Failed;
        double phi = 0;
        try {
            phi = sumOfSquaredResiduals(y, p_.ymeas);
        } catch (const RuntimeError &) {
            return Trial::Failed;
        }
        m_.trial = X;
        r_.ycalc.swap(y);
        remember(X, phi);
        phiNew = phi;
        if (perfect(phi)) {
            r_.flag = kPerfectFit;
            r_.x = X;
            r_.phi = phi;
            return Trial::Perfect;
        }
        return Trial::Evaluated;
    }

    const MarquardtProblem &p_;
    MarquardtMemory &m_;
    MarquardtRun &r_;
    const int np_;
    const int n_;
    NormalEquations equations_;
    std::vector<double> standardError_; // at the start of this iteration
};

} // namespace

double MarquardtProblem::differenceStep(int j, double x) const {
    const std::size_t J = at(j);
    if (J < fixedStep.size() && fixedStep[J] > 0)
        return fixedStep[J];
    double delta = kRelativeStep * std::fabs(x);
    if (delta == 0)
        delta = J < zeroStep.size() ? zeroStep[J] : derivStep0;
    return delta;
}

double MarquardtProblem::measuredSquares() const {
    double sum = 0;
    for (double y : ymeas)
        sum += y * y;
    return sum;
}

namespace {

// The column j from its two sides (either may have failed: a one-sided difference from ycalc).
void differenceColumn(const std::vector<double> *plus, const std::vector<double> *minus,
                      const std::vector<double> &ycalc, double delta, double *column, int n) {
    const std::vector<double> &upper = plus != nullptr ? *plus : ycalc;
    const std::vector<double> &lower = minus != nullptr ? *minus : ycalc;
    const double span = (plus != nullptr && minus != nullptr) ? 2 * delta : delta;
    for (int i = 0; i < n; ++i)
        column[i] = (upper[at(i)] - lower[at(i)]) / span;
}

bool allFinite(const std::vector<double> &y, int n) {
    return static_cast<int>(y.size()) == n &&
           std::all_of(y.begin(), y.end(), [](double v) { return std::isfinite(v); });
}

// Every column's two sides handed to the model at once, which may run them side by side.
int batchedJacobian(const MarquardtProblem &problem, const std::vector<double> &x,
                    const std::vector<double> &ycalc, std::vector<double> &jacobian) {
    const int np = problem.parameterCount();
    const int n = problem.pointCount();
    std::vector<std::vector<double>> points;
    std::vector<int> columns;
    std::vector<double> deltas;
    for (int j = 0; j < np; ++j) {
        const double delta = problem.differenceStep(j, x[at(j)]);
        if (!problem.free[at(j)] || !(delta > 0))
            continue;
        for (double side : {delta, -delta}) {
            points.push_back(x);
            points.back()[at(j)] += side;
        }
        columns.push_back(j);
        deltas.push_back(delta);
    }
    std::vector<std::vector<double>> ys(points.size());
    if (!points.empty())
        problem.models(points, ys);
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const std::vector<double> &plus = ys[2 * c];
        const std::vector<double> &minus = ys[2 * c + 1];
        const bool plusRan = allFinite(plus, n);
        const bool minusRan = allFinite(minus, n);
        if (!plusRan && !minusRan)
            continue;
        differenceColumn(plusRan ? &plus : nullptr, minusRan ? &minus : nullptr, ycalc, deltas[c],
                         &jacobian[at(columns[c]) * at(n)], n);
    }
    return static_cast<int>(points.size());
}

} // namespace

int centralJacobian(const MarquardtProblem &problem, std::vector<double> x,
                    const std::vector<double> &ycalc, std::vector<double> &jacobian) {
    const int np = problem.parameterCount();
    const int n = problem.pointCount();
    jacobian.assign(at(np * n), 0.0);
    if (problem.models)
        return batchedJacobian(problem, x, ycalc, jacobian);
    std::vector<double> plus(at(n));
    std::vector<double> minus(at(n));
    int runs = 0;
    for (int j = 0; j < np; ++j) {
        const std::size_t J = at(j);
        const double x0 = x[J];
        const double delta = problem.differenceStep(j, x0);
        if (!problem.free[J] || !(delta > 0))
            continue;
        x[J] = x0 + delta;
        bool plusRan = modelRunsCleanly(problem, x, plus);
        x[J] = x0 - delta;
        bool minusRan = modelRunsCleanly(problem, x, minus);
        x[J] = x0;
        runs += 2;
        if (!plusRan && !minusRan)
            continue;
        differenceColumn(plusRan ? &plus : nullptr, minusRan ? &minus : nullptr, ycalc, delta,
                         &jacobian[J * at(n)], n);
    }
    return runs;
}

const char *convergenceText(int flag) {
    switch (flag) {
    case kPerfectFit:
        return "converged: perfect fit";
    case kConverged:
        return "converged";
    case kIterationsUsedUp:
        return "not converged: iteration limit";
    case kNoDecrease:
        return "not converged: no step decreases the least square";
    case kStoppedByUser:
        return "stopped by the user (the best result so far)";
    default:
        return "not converged";
    }
}

void Marquardt(const MarquardtProblem &problem, MarquardtMemory &memory, MarquardtRun &run) {
    Iteration(problem, memory, run).run();
}

void runMarquardtFit(const MarquardtProblem &problem, MarquardtMemory &memory, MarquardtRun &run,
                     const std::function<bool(const MarquardtRun &, int)> &afterIteration) {
    run.flag = problem.parameterCount();
    for (int iteration = 1;; ++iteration) {
        Marquardt(problem, memory, run);
        bool goOn = !afterIteration || afterIteration(run, iteration);
        if (run.flag <= 0)
            return;
        if (!goOn) {
            run.flag = kStoppedByUser;
            return;
        }
        if (iteration > kIterationLimit) {
            run.flag = kIterationsUsedUp;
            return;
        }
    }
}

} // namespace kemvo
