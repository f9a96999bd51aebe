#include "simulation/DigitalSimulation.h"

#include "shell/Constants.h"
#include "simulation/DigitalGrid.h"
#include "simulation/ElectrodeClosure.h"
#include "simulation/LargerSmaller.h"
#include "simulation/LinearSolver.h"
#include "simulation/MechanismBlocks.h"
#include "simulation/MicrodiscSimulation.h"
#include "simulation/PotentialProgramme.h"
#include "simulation/RodEnd.h"
#include "simulation/SteppedTechniques.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace kemvo {
namespace {

using namespace digital;

// An interval at constant potential takes two extrapolated steps: a short second-order one of
// this fraction of it for the steep start after the jump, then a third-order one to the end
// (the sampled current then agrees with the exact step response to 0.2 %).
constexpr double kHoldFirstFraction = 0.3;
// [V] Largest potential change of one (second-order) step of a linear ramp: the reversible
// peak is then within 0.02 % of Randles-Sevcik.
constexpr double kRampPotentialStep = 0.005;
constexpr int kResistanceIterations = 100;
constexpr int kChemistryIterations = 50;
constexpr double kChemistryTolerance = 1e-10; // of the reference concentration
constexpr double kLargestDrift = 0.1;         // of a frozen second-order tangent

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
    // A solver prepared for one length of time step with the second-order rates linearised
    // about the profile `around`.
    struct Linearised {
        double dt = 0;
        Solver solver;
        Profile around{};
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
            blocks[k] = leading(boxBlock(*run_.mechanism, run_.chemistry, diagonal, dt, around));
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
        rates_ = butlerVolmerRates(state_, run_.chargeSteps, e);
        matrixPotential_ = e;
        matrix_ = leading(digital::electrodeMatrix(run_.mechanism->closure, flags_, rates_,
                                                   run_.surfaceDistance, run_.diffusion));
        return matrix_;
    }

    // Current of each step [A] from the surface concentrations, positive for net oxidation.
    Currents currentsAt(const Vector &surface) const {
        Currents currents{};
        for (int j = 0; j < run_.chargeSteps; ++j) {
            const Couple couple = coupleOf(run_.mechanism->closure, j);
            const double flux =
                rates_.kb[j] * surface[couple.reduced] - rates_.kf[j] * surface[couple.oxidised];
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
    // modification finds its root. Near equilibrium I(applied) is rounding noise, and so is the
    // residual: where it shows no change of sign the current is taken as what it is.
    double electrodePotential(Solver &solver, double applied) {
        const double unloaded = trialCurrent(solver, applied);
        auto residual = [&](double current) {
            return current - trialCurrent(solver, applied - resistance_ * current);
        };
        double low = 0.0, rLow = -unloaded;
        double high = unloaded, rHigh = residual(unloaded);
        const double tolerance = 1e-13 * std::abs(unloaded);
        for (int i = 0; i < kResistanceIterations && (rLow > 0) != (rHigh > 0) && rLow != 0.0 &&
                        rHigh != 0.0 && std::abs(high - low) > tolerance;
             ++i) {
            // Opposite signs: the secant stays inside the bracket.
            const double next = high - rHigh * (high - low) / (rHigh - rLow);
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

    // The implicit step of a mechanism with a second-order step, by Newton's method with the
    // Jacobian frozen (a chord iteration): the blocks are factorised with the rate linearised
    // about a profile b0, and each iteration corrects the right-hand side for the iterate b,
    //   A(b0) c = c_old + kf dt (2 b0 b - b^2),
    // whose fixed point is the implicit step itself. Each iteration shrinks the error by about
    // the drift of the frozen tangent from the iterate's (tangentDrift), so the factors serve
    // every step of the same length until that drift passes a tenth; then they are formed
    // afresh about the latest iterate, which is Newton's own iteration. The iteration ends
    // when no concentration changes by more than 1e-10 of the reference, or when the change
    // times the contraction (ten times the drift, to be safe) is below that: the last iterate
    // is then within it of the step's solution.
    Currents linearisedStep(Profile &profile, double dt, double applied) {
        Linearised &frozen = linearisedFor(dt, profile);
        copyProfile(profile, start_);
        copyProfile(profile, latest_);
        double drift = driftFrom(frozen, latest_);
        Currents currents{};
        for (int iteration = 0; iteration < kChemistryIterations; ++iteration) {
            if (drift > kLargestDrift) {
                linearise(frozen, latest_);
                drift = 0.0;
            }
            for (int k = 1; k <= run_.boxes; ++k) {
                profile[k] = start_[k];
                addTangentSource(*run_.mechanism, run_.chemistry, dt, frozen.around[k], latest_[k],
                                 profile[k]);
            }
            currents = solvedStep(frozen.solver, profile, applied);
            double change = 0.0;
            double newDrift = 0.0;
            for (int k = 0; k <= run_.boxes; ++k) {
                for (int s = 0; s < S; ++s)
                    change = larger(change, std::abs(profile[k][s] - latest_[k][s]));
                newDrift = larger(newDrift, tangentDrift(*run_.mechanism, run_.chemistry, dt,
                                                         frozen.around[k], profile[k]));
                latest_[k] = profile[k];
            }
            const double contraction = 10.0 * larger(drift, newDrift);
            if (change <= kChemistryTolerance ||
                (iteration > 0 && contraction * change <= kChemistryTolerance))
                break;
            drift = newDrift;
        }
        return currents;
    }

    double driftFrom(const Linearised &frozen, const Profile &profile) const {
        double largest = 0.0;
        for (int k = 1; k <= run_.boxes; ++k)
            largest = larger(largest, tangentDrift(*run_.mechanism, run_.chemistry, frozen.dt,
                                                   frozen.around[k], profile[k]));
        return largest;
    }

    // The frozen factors of steps of dt [s], formed about `profile` the first time.
    Linearised &linearisedFor(double dt, const Profile &profile) {
        for (const auto &frozen : linearised_)
            if (frozen->dt == dt)
                return *frozen;
        auto frozen = std::make_unique<Linearised>();
        frozen->dt = dt;
        linearise(*frozen, profile);
        linearised_.push_back(std::move(frozen));
        return *linearised_.back();
    }

    void linearise(Linearised &frozen, const Profile &about) {
        copyProfile(about, frozen.around);
        prepare(frozen.solver, frozen.dt, &frozen.around);
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
    // the fine grid starts from rest at the first point's potential (held for the quiet time
    // where one is set, on either grid) and then follows the true
    // linear ramp from point to point, each point's current taken as the ramp reaches it. A
    // potential listed twice in a row (the vertex of a cycle) is one instant: the sweep turns
    // there without a pause, so the second copy carries the current of the first. With a
    // vertex hold the second copy carries the current at the end of the hold.
    void sweep(CurveStore &store) {
        Currents currents{};
        for (int p = 1; p <= run_.points; ++p) {
            const bool sameInstant = p > 1 && store.potential(p) == store.potential(p - 1);
            if (!sameInstant)
                currents = sweepTo(store, p);
            else if (state_.vertexHold > 0)
                currents = holdAtVertex(state_.vertexHold, store.potential(p));
            record(store, p, currents);
        }
    }

    // A hold of `duration` [s] at the potential e where the sweep turns, in steps no longer than
    // the sweep's own (td): the current does not jump there, and the profile the hold leaves
    // carries the sweep back. The standard grid takes them as implicit steps, the fine grid as
    // second-order ones.
    Currents holdAtVertex(double duration, double e) {
        const int steps =
            static_cast<int>(larger(std::ceil(duration / state_.dropTime - 1e-9), 1.0));
        const double dt = duration / steps;
        Currents currents{};
        for (int i = 1; i <= steps; ++i)
            currents = run_.fineGrid ? secondOrderStep(dt, e, e) : implicitStep(profile_, dt, e);
        return currents;
    }

    Currents sweepTo(const CurveStore &store, int p) {
        const double td = state_.dropTime;
        const double ep = store.potential(p);
        // A quiet time holds E start from rest for that long; the scan starts at its end.
        if (p == 1 && state_.quietTime > 0)
            return hold(state_.quietTime, ep);
        if (!run_.fineGrid)
            return implicitStep(profile_, td, ep);
        if (p == 1)
            return hold(td, ep);
        return ramp(td, store.potential(p - 1), ep);
    }

    // Techniques 2-4 and 5, by the programmes of SteppedTechniques.h.
    void drops(CurveStore &store) {
        runDrops<Currents>(
            state_, store, run_.chargeSteps, [this] { resetProfile(); },
            [this](double duration, double e) { return hold(duration, e); },
            [this, &store](int p, const Currents &currents) { record(store, p, currents); });
    }

    void squareWave(CurveStore &store) {
        runSquareWave<Currents>(
            state_, store, run_.chargeSteps,
            [this](double duration, double e) { return hold(duration, e); },
            [this, &store](int p, const Currents &currents) { record(store, p, currents); });
    }

    const ExperimentState &state_;
    const RunSetup &run_;
    const double resistance_; // [ohm]
    const MatrixMessage &message_;
    const std::function<void(int)> &pointDone_;
    std::vector<std::unique_ptr<Stepper>> steppers_;
    Profile profile_{};
    const bool secondOrder_ = hasSecondOrderStep(*run_.mechanism);
    std::vector<std::unique_ptr<Linearised>> linearised_;
    Profile start_{};  // the profile before a linearised step
    Profile latest_{}; // the latest iterate of a linearised step
    Profile one_{};    // the profile after one whole step, and after two half steps,
    Profile two_{};    // for the extrapolation
    SpeciesMatrix flags_{};
    ElectrodeRates rates_{};            // [cm/s] at matrixPotential_
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
        runMicrodiscSimulation(state, store, uncompensatedResistance, pointDone);
        return;
    }
    const RunSetup run = setUpRun(state, fineGrid);
    const bool rod = isRod(state);
    const auto sideDone = rod ? rodPartDone(pointDone, 0, state.pointCount) : pointDone;
    // A singular block would otherwise be reported at every time step.
    bool reported = false;
    const MatrixMessage reportOnce = [&](const std::string &text) {
        if (!reported && message)
            message(text);
        reported = true;
    };
    switch (run.mechanism->species) {
    case 2:
        simulate<2>(state, run, store, uncompensatedResistance, reportOnce, sideDone);
        break;
    case 3:
        simulate<3>(state, run, store, uncompensatedResistance, reportOnce, sideDone);
        break;
    default:
        simulate<4>(state, run, store, uncompensatedResistance, reportOnce, sideDone);
        break;
    }
    if (rod)
        addRodEnd(state, chargeStepCount(run.mechanism->closure), run.mechanism->species, store,
                  uncompensatedResistance, rodPartDone(pointDone, 1, state.pointCount));
}

} // namespace kemvo
