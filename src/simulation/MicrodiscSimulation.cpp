#include "simulation/MicrodiscSimulation.h"

#include "simulation/CheckedMath.h"
#include "simulation/LargerSmaller.h"
#include "simulation/MicrodiscOperator.h"
#include "simulation/OhmicDrop.h"
#include "simulation/PotentialProgramme.h"
#include "simulation/SteppedTechniques.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>
#include <vector>

namespace kemvo {
namespace {

using namespace disc;

// An interval at constant potential d after a jump: a second-order step over 0.09 d, then
// third-order ones to 0.3 d and to d. The one-dimensional engine's 0.3 d and 0.7 d left the
// disc's step current 0.4 % high at tau = 4 D t / r^2 = 0.1 (the current is singular at the
// jump); grading the start once more brings it within 0.1 %. A ramp moves at most
// kRampPotentialStep [V] per second-order step, as in the one-dimensional engine.
constexpr double kHoldFraction = 0.3;
constexpr double kRampPotentialStep = 0.005;
constexpr int kSolvesPerHold = 15;
constexpr int kSolvesPerRampStep = 3;
// The iteration of a second-order chemical step (see linearisedStep).
constexpr double kChemistryTolerance = 1e-10; // of the reference concentration
constexpr double kSlowIteration = 0.2;        // contraction that calls for new factors
constexpr int kChemistryIterations = 50;

using Currents = std::array<double, digital::kMaxChargeSteps>;

int rampSteps(double from, double to) {
    return static_cast<int>(
        larger(std::ceil(std::abs(to - from) / kRampPotentialStep - 1e-9), 1.0));
}

class DiscRun {
public:
    DiscRun(const ExperimentState &state, double resistance,
            const std::function<void(int)> &pointDone)
        : state_(state), model_(discModel(state)), resistance_(resistance), pointDone_(pointDone),
          secondOrder_(digital::hasSecondOrderStep(*model_.mechanism)) {
        reset();
    }

    void run(CurveStore &store) {
        switch (state_.technique) {
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
    void reset() {
        const int S = model_.species;
        solution_.box.resize(static_cast<std::size_t>(model_.grid.boxes() * S));
        for (int k = 0; k < model_.grid.boxes(); ++k)
            for (int s = 0; s < S; ++s)
                solution_.box[static_cast<std::size_t>(k * S + s)] = model_.bulk[s];
        solution_.surface.assign(solution_.box.begin(), solution_.box.begin() + model_.grid.ne * S);
    }

    // The operator of a step of dt [s], factorised once (about `around` for a second-order
    // step).
    StepOperator &operatorFor(double dt, const std::vector<double> *around) {
        for (const auto &op : operators_)
            if (op->dt() == dt)
                return *op;
        operators_.push_back(std::make_unique<StepOperator>(model_, dt, around));
        return *operators_.back();
    }

    void renew(StepOperator *&op, const std::vector<double> &around) {
        for (auto &held : operators_)
            if (held.get() == op) {
                held = std::make_unique<StepOperator>(model_, op->dt(), &around);
                op = held.get();
                return;
            }
    }

    Currents currentsOf(const std::vector<double> &rho) const {
        Currents currents{};
        const int ne = model_.grid.ne;
        for (int m = 0; m < model_.chargeSteps; ++m) {
            double sum = 0.0;
            for (int j = 0; j < ne; ++j)
                sum += rho[static_cast<std::size_t>(m * ne + j)];
            // A reduction rate is a cathodic, negative, current.
            currents[m] = checkedFinite(-state_.electrons[m + 1] * model_.currentScale * sum);
        }
        return currents;
    }

    double total(const Currents &currents) const {
        double sum = 0.0;
        for (int m = 0; m < model_.chargeSteps; ++m)
            sum += currents[m];
        return sum;
    }

    const std::vector<double> &ratesAt(StepOperator &op, double e) {
        return op.reactionRates(free_, digital::butlerVolmerRates(state_, model_.chargeSteps, e),
                                e);
    }

    // The step of `op` from the right-hand side x (the concentrations before it) at the applied
    // potential; the electrode sees applied - Ru I with the step's own current I.
    Currents solvedStep(StepOperator &op, const std::vector<double> &x, DiscState &s,
                        double applied) {
        op.withoutElectrode(x, free_);
        double e = applied;
        if (resistance_ > 0.0)
            e = ohmicPotential(applied, resistance_,
                               [&](double trial) { return total(currentsOf(ratesAt(op, trial))); });
        const std::vector<double> &rho = ratesAt(op, e);
        op.applyRates(rho, free_, s.surface);
        s.box.swap(free_);
        return currentsOf(rho);
    }

    // One fully implicit step of dt [s] ending at the applied potential [V].
    Currents implicitStep(DiscState &s, double dt, double applied) {
        if (!secondOrder_)
            return solvedStep(operatorFor(dt, nullptr), s.box, s, applied);
        return linearisedStep(s, dt, applied);
    }

    // A step with a second-order chemical step 2B = X, by Newton's method with the Jacobian
    // frozen (a chord iteration), as in the one-dimensional engine: the factors hold the rate
    // linearised about the boxes b0 they were formed at, and the right-hand side carries
    // kf dt (2 b0 b - b^2) for the iterate b (addTangentSource), whose fixed point is the step
    // itself. Factors are costly on the disc (each carries the boxes' response to every strip),
    // so they serve every step of their length until an iteration shrinks the change by less
    // than kSlowIteration; then they are formed afresh about the latest iterate, which is
    // Newton's own iteration. The iteration ends when the change, or the error left after it
    // by the observed contraction q, q/(1 - q) times the change, is below kChemistryTolerance.
    Currents linearisedStep(DiscState &s, double dt, double applied) {
        const int S = model_.species;
        const digital::Mechanism &mech = *model_.mechanism;
        start_ = s.box;
        latest_ = s.box;
        StepOperator *op = &operatorFor(dt, &start_);
        Currents currents{};
        double previous = HUGE_VAL;
        for (int iteration = 0; iteration < kChemistryIterations; ++iteration) {
            rhs_ = start_;
            for (int k = 0; k < model_.grid.boxes(); ++k) {
                digital::SpeciesVector source{};
                digital::addTangentSource(mech, model_.chemistry, dt, speciesAt(op->around(), k),
                                          speciesAt(latest_, k), source);
                for (int t = 0; t < S; ++t)
                    rhs_[static_cast<std::size_t>(k * S + t)] += source[t];
            }
            currents = solvedStep(*op, rhs_, s, applied);
            double change = 0.0;
            for (std::size_t i = 0; i < s.box.size(); ++i)
                change = larger(change, std::abs(s.box[i] - latest_[i]));
            latest_ = s.box;
            const double q = iteration > 0 ? change / previous : 1.0;
            if (change <= kChemistryTolerance ||
                (q < 0.5 && q / (1 - q) * change <= kChemistryTolerance))
                break;
            if (q > kSlowIteration && iteration > 0)
                renew(op, latest_);
            previous = change;
        }
        return currents;
    }

    // The species of box k of `boxes`.
    digital::SpeciesVector speciesAt(const std::vector<double> &boxes, int k) const {
        digital::SpeciesVector c{};
        for (int t = 0; t < model_.species; ++t)
            c[t] = boxes[static_cast<std::size_t>(k * model_.species + t)];
        return c;
    }

    static void combine(DiscState &into, double a, const DiscState &x, double b,
                        const DiscState &y) {
        for (std::size_t i = 0; i < into.box.size(); ++i)
            into.box[i] = a * x.box[i] + b * y.box[i];
        for (std::size_t i = 0; i < into.surface.size(); ++i)
            into.surface[i] = a * x.surface[i] + b * y.surface[i];
    }

    // A second-order step of dt [s] during which the applied potential moves linearly from
    // `from` to `to` [V]: twice the result of two half steps less that of one whole step.
    Currents secondOrderStep(double dt, double from, double to) {
        one_ = solution_;
        const Currents y1 = implicitStep(one_, dt, to);
        implicitStep(solution_, dt / 2, from + (to - from) / 2);
        const Currents y2 = implicitStep(solution_, dt / 2, to);
        combine(solution_, 2.0, solution_, -1.0, one_);
        Currents currents{};
        for (int m = 0; m < model_.chargeSteps; ++m)
            currents[m] = 2.0 * y2[m] - y1[m];
        return currents;
    }

    // A third-order step of dt [s] from `from` to `to` [V]: one, two and three implicit
    // sub-steps extrapolated to a vanishing step, y1/2 - 4 y2 + 9 y3/2.
    Currents thirdOrderStep(double dt, double from, double to) {
        one_ = solution_;
        const Currents y1 = implicitStep(one_, dt, to);
        two_ = solution_;
        implicitStep(two_, dt / 2, from + (to - from) / 2);
        const Currents y2 = implicitStep(two_, dt / 2, to);
        implicitStep(solution_, dt / 3, from + (to - from) / 3);
        implicitStep(solution_, dt / 3, from + 2 * (to - from) / 3);
        const Currents y3 = implicitStep(solution_, dt / 3, to);
        combine(one_, 0.5, one_, -4.0, two_);
        combine(solution_, 1.0, one_, 4.5, solution_);
        Currents currents{};
        for (int m = 0; m < model_.chargeSteps; ++m)
            currents[m] = 0.5 * y1[m] - 4.0 * y2[m] + 4.5 * y3[m];
        return currents;
    }

    // An interval of `duration` [s] at the potential e [V] after a jump; the currents at its end.
    Currents hold(double duration, double e) {
        const double first = kHoldFraction * kHoldFraction * duration;
        secondOrderStep(first, e, e);
        thirdOrderStep(kHoldFraction * duration - first, e, e);
        return thirdOrderStep((1.0 - kHoldFraction) * duration, e, e);
    }

    // An interval of `duration` [s] over which the potential moves linearly from `from` to `to`.
    Currents ramp(double duration, double from, double to) {
        const int steps = rampSteps(from, to);
        Currents currents{};
        for (int i = 1; i <= steps; ++i)
            currents = secondOrderStep(duration / steps, from + (to - from) * (i - 1) / steps,
                                       from + (to - from) * i / steps);
        return currents;
    }

    void record(CurveStore &store, int p, const Currents &currents) {
        for (int m = 0; m < model_.chargeSteps; ++m)
            store.reactionCurrent(p, m + 1) = checkedFinite(currents[m]);
        const int S = model_.species;
        for (int s = 0; s < S; ++s) {
            double mean = 0.0;
            for (int j = 0; j < model_.grid.ne; ++j)
                mean += 2.0 * model_.grid.stripWeight[static_cast<std::size_t>(j)] *
                        solution_.surface[static_cast<std::size_t>(j * S + s)];
            store.surfaceConc(p, s + 1) = checkedFinite(model_.reference * mean);
        }
        if (pointDone_)
            pointDone_(p);
    }

    // Technique 1: from rest at the first potential (held for the quiet time where one is set),
    // then the linear ramp from point to point.
    // A potential listed twice in a row (the vertex of a cycle) is one instant: the sweep turns
    // there without a pause, so the second copy carries the current of the first. With a
    // vertex hold the second copy carries the current at the end of the hold, taken in
    // second-order steps no longer than the sweep's own (td): the current does not jump there.
    void sweep(CurveStore &store) {
        const double td = state_.dropTime;
        Currents currents{};
        for (int p = 1; p <= state_.pointCount; ++p) {
            const double ep = store.potential(p);
            if (p == 1) // from rest, held for the quiet time where one is set
                currents = hold(state_.quietTime > 0 ? state_.quietTime : td, ep);
            else if (ep != store.potential(p - 1))
                currents = ramp(td, store.potential(p - 1), ep);
            else if (state_.vertexHold > 0) {
                const int steps =
                    static_cast<int>(larger(std::ceil(state_.vertexHold / td - 1e-9), 1.0));
                for (int i = 1; i <= steps; ++i)
                    currents = secondOrderStep(state_.vertexHold / steps, ep, ep);
            }
            record(store, p, currents);
        }
    }

    // Techniques 2-4 and 5, by the programmes of SteppedTechniques.h.
    void drops(CurveStore &store) {
        runDrops<Currents>(
            state_, store, model_.chargeSteps, [this] { reset(); },
            [this](double duration, double e) { return hold(duration, e); },
            [this, &store](int p, const Currents &currents) { record(store, p, currents); });
    }

    void squareWave(CurveStore &store) {
        runSquareWave<Currents>(
            state_, store, model_.chargeSteps,
            [this](double duration, double e) { return hold(duration, e); },
            [this, &store](int p, const Currents &currents) { record(store, p, currents); });
    }

    const ExperimentState &state_;
    const DiscModel model_;
    const double resistance_; // [ohm]
    const std::function<void(int)> &pointDone_;
    const bool secondOrder_;
    std::vector<std::unique_ptr<StepOperator>> operators_;
    DiscState solution_;         // the solution as it stands
    DiscState one_, two_;        // the same step taken in fewer sub-steps, for the extrapolation
    std::vector<double> free_;   // the boxes after a step before the electrode's flux
    std::vector<double> start_;  // the boxes before a linearised step
    std::vector<double> latest_; // its latest iterate
    std::vector<double> rhs_;
};

} // namespace

double microdiscTimeSteps(const ExperimentState &state) {
    const double points = pointCountOf(state, pointsPerSweepOf(state));
    switch (state.technique) {
    case 1:
        return kSolvesPerHold +
               (points - 1) * kSolvesPerRampStep * rampSteps(0.0, std::abs(state.eStep)) +
               (state.vertexHold > 0 ? turningPointCount(state) * kSolvesPerRampStep *
                                           std::ceil(state.vertexHold / state.dropTime)
                                     : 0.0);
    case 2:
        return points * kSolvesPerHold;
    default:
        return points * 2 * kSolvesPerHold;
    }
}

void runMicrodiscSimulation(const ExperimentState &state, CurveStore &store,
                            double uncompensatedResistance,
                            const std::function<void(int)> &pointDone) {
    auto run = std::make_unique<DiscRun>(state, uncompensatedResistance, pointDone);
    run->run(store);
}

} // namespace kemvo
