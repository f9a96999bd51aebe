#include "fitting/Marquardt.h"

#include "shell/RuntimeError.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace kemvo {
namespace {

constexpr double kInitialLambda = 1e-4;
constexpr double kLambdaLimit = 1000;
constexpr double kSignificantDecrease = 2e-4; // relative decrease of phi that still counts
constexpr double kPerfectFit = 1e-10;         // times dataVar
constexpr double kRelativeStep = 0.01;        // difference step relative to the value
constexpr double kNoInfluence = 1e-20;        // times sum ymeas^2, for the freezing test
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
    enum class Trial { Evaluated, Failed, OutOfBounds, Perfect };

    bool perfect(double phi) const { return phi < kPerfectFit * p_.dataVar; }

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
            r_.flag = -1;
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
    }

    void takeStep(double lambda) {
        std::vector<double> d = equations_.solve(lambda);
        for (int j = 0; j < np_; ++j)
            m_.step[at(j)] = d[at(j)] / equations_.scale(j);
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
        double nu = kSmallestLambdaFactor;
        bool accepted = false;
        bool onlyOutOfBounds = true;
        for (int t = 0;; ++t) {
            takeStep(trialLambda);
            double phiNew = 0;
            Trial trial = evaluateTrial(phiNew, false);
            if (trial == Trial::Perfect)
                return;
            if (trial == Trial::Evaluated)
                lastPhi = phiNew;
            onlyOutOfBounds = onlyOutOfBounds && trial == Trial::OutOfBounds;
            nu = lambdaFactor(trial, phiNew, r_.phi);
            if (trial == Trial::Evaluated && phiNew < r_.phi) {
                accepted = true;
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
        // No step was short enough to stay inside the bounds (a parameter of little influence
        // takes huge steps at any lambda): the Gauss-Newton trial once more, with the
        // parameters that would leave held where they are, as one on its bound is held.
        if (!accepted && onlyOutOfBounds) {
            takeStep(0);
            double phiNew = 0;
            Trial trial = evaluateTrial(phiNew, true);
            if (trial == Trial::Perfect)
                return;
            if (trial == Trial::Evaluated) {
                lastPhi = phiNew;
                nu = lambdaFactor(trial, phiNew, r_.phi);
                accepted = phiNew < r_.phi;
            }
        }
        r_.lambdaExhausted = !accepted;
        if (r_.marquardts != 0)
            lambda /= nu;
        double sum = lastPhi + r_.phi;
        double rel = sum > 0 ? (r_.phi - lastPhi) / sum : 0;
        r_.flag = rel < kSignificantDecrease ? -2 : 1;
        r_.x = m_.trial;
        r_.phi = lastPhi;
    }

    // Forms the trial x + S within the bounds and evaluates it. A parameter on a bound whose
    // step points outwards stays there; one inside its bounds that the step would carry
    // beyond them makes the whole trial fail, so that lambda shortens the step, unless
    // holdLeaving holds it too.
    Trial evaluateTrial(double &phiNew, bool holdLeaving) {
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
                if (!onBound && !holdLeaving)
                    return Trial::OutOfBounds;
                m_.step[J] = 0;
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
            r_.flag = -1;
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

int centralJacobian(const MarquardtProblem &problem, std::vector<double> x,
                    const std::vector<double> &ycalc, std::vector<double> &jacobian) {
    const int np = problem.parameterCount();
    const int n = problem.pointCount();
    jacobian.assign(at(np * n), 0.0);
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
        const std::vector<double> &upper = plusRan ? plus : ycalc;
        const std::vector<double> &lower = minusRan ? minus : ycalc;
        const double span = (plusRan && minusRan) ? 2 * delta : delta;
        double *column = &jacobian[J * at(n)];
        for (int i = 0; i < n; ++i)
            column[i] = (upper[at(i)] - lower[at(i)]) / span;
    }
    return runs;
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
        if (!goOn || iteration > kIterationLimit || run.flag <= 0)
            return;
    }
}

} // namespace kemvo
