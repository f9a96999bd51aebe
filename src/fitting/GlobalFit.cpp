#include "fitting/GlobalFit.h"

#include "fitting/FitCandidates.h"
#include "fitting/FitProblem.h"
#include "fitting/MeasuredAxis.h"
#include "fitting/MultiStart.h"
#include "numerics/LocalPolynomial.h"
#include "numerics/Sweeps.h"
#include "shell/CurveStore.h"
#include "shell/Progress.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

namespace kemvo {
namespace {

// The noise: residuals of local quartics through 7 points, as the peak search measures it.
constexpr int kNoiseHalfWidth = 3;
constexpr int kNoiseDegree = 4;
constexpr std::size_t kMinimumWindowPoints = 3;

std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

// The most workers of one fit: each holds an objective for every curve.
constexpr int kMostWorkers = 16;

// One curve of the fit: the experiment that recorded it and how its residuals count.
struct CurveModel {
    ObjectiveSetup setup;
    std::vector<std::size_t> weighed; // points inside the window, 0-based
    std::vector<int> slot;            // per candidate: its index in the parameter vector
    double weight = 1;                // 1/sigma^2
    double scale = 1;                 // sqrt(weight), applied to each residual
    double noise = 0;
    std::size_t offset = 0;    // of its points in the stacked vector
    std::vector<double> whole; // the last single evaluation, every measured point
};

// A worker's objective for one curve, on its own copy of the experiment and its own store.
struct CurveCopy {
    std::unique_ptr<CurveStore> store = std::make_unique<CurveStore>();
    std::unique_ptr<SimulationObjective> objective;
};

// Workers that live for one fit: run() has worker w = 0 .. count - 1 do work(w), worker 0 on
// the calling thread, and returns when all are done. Starting threads once per fit rather than
// once per evaluation keeps the fit's own work small beside simulations of a millisecond.
class CurveWorkers {
public:
    CurveWorkers(int count, std::function<void(int)> work) : work_(std::move(work)) {
        for (int w = 1; w < count; ++w)
            threads_.emplace_back([this, w] { serve(w); });
    }
    ~CurveWorkers() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ending_ = true;
        }
        start_.notify_all();
        for (std::thread &t : threads_)
            t.join();
    }
    CurveWorkers(const CurveWorkers &) = delete;
    CurveWorkers &operator=(const CurveWorkers &) = delete;

    void run() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++round_;
            pending_ = static_cast<int>(threads_.size());
        }
        start_.notify_all();
        work_(0);
        std::unique_lock<std::mutex> lock(mutex_);
        done_.wait(lock, [this] { return pending_ == 0; });
    }

private:
    void serve(int w) {
        long seen = 0;
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(mutex_);
                start_.wait(lock, [&] { return ending_ || round_ != seen; });
                if (ending_)
                    return;
                seen = round_;
            }
            work_(w);
            std::lock_guard<std::mutex> lock(mutex_);
            if (--pending_ == 0)
                done_.notify_one();
        }
    }

    std::function<void(int)> work_;
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable start_, done_;
    long round_ = 0;
    int pending_ = 0;
    bool ending_ = false;
};

class GlobalFitRun {
public:
    GlobalFitRun(const GlobalFitSetup &setup, std::atomic<bool> *stop)
        : setup_(setup), stop_(stop) {}

    GlobalFitResult run(MarquardtMemory &memory,
                        const std::function<bool(int, double)> &afterIteration) {
        refuseImpossible();
        layOut();
        buildCurves();
        buildProblem();
        const int count = static_cast<int>(curves_.size());
        const int np = static_cast<int>(start_.size());
        // Enough workers for every curve of both sides of every Jacobian column.
        threads_ = std::clamp(setup_.threads > 0 ? setup_.threads : coreCount(), 1,
                              std::min(kMostWorkers, 2 * np * count));
        result_.threads = threads_;
        buildCopies();
        CurveWorkers workers(threads_, [this](int w) { work(w); });
        workers_ = &workers;
        const MarquardtProblem engine = inEngineCoordinates(problem_, logStepped_);
        MarquardtRun fit(toEngine(start_, logStepped_));
        runMarquardtFit(engine, memory, fit, [&](const MarquardtRun &now, int iteration) {
            return !afterIteration || afterIteration(iteration, now.phi);
        });
        if (!fit.bestX.empty() && fit.bestPhi < fit.phi) {
            fit.x = fit.bestX;
            fit.phi = fit.bestPhi;
        }
        result_.flag = fit.flag;
        result_.evaluations = fit.evaluations;
        result_.simulations = fit.modelRuns * static_cast<int>(curves_.size());
        std::vector<double> ycalc(problem_.ymeas.size());
        engine.model(fit.x, ycalc);
        result_.simulations += static_cast<int>(curves_.size());
        result_.leastSquare = fit.phi;
        const std::vector<double> x = fromEngine(fit.x, logStepped_);
        FitUncertainty uncertainty;
        const bool stopped = stop_ != nullptr && stop_->load();
        if (!stopped) {
            uncertainty = uncertaintyInParameterUnits(engine, fit.x, ycalc, fit.phi, logStepped_);
            result_.simulations += uncertainty.modelRuns * static_cast<int>(curves_.size());
            result_.correlation = uncertainty.correlation;
        }
        report(x, uncertainty, stopped);
        return result_;
    }

private:
    void refuseImpossible() const {
        const std::size_t count = setup_.curves.size();
        if (count == 0)
            throw FitRefusal("Global Fit Error: there is no measured curve; add one (Add) after "
                             "importing it.");
        if (count > static_cast<std::size_t>(kMaxGlobalCurves))
            throw FitRefusal("Global Fit Error: at most " + std::to_string(kMaxGlobalCurves) +
                             " curves are fitted together, not " + std::to_string(count) + ".");
        if (setup_.base.fitIndex.empty())
            throw FitRefusal("Global Fit Error: no parameter is ticked. Tick the box beside each "
                             "parameter to fit in the parameters window.");
    }

    // The parameter vector: each shared candidate once, then each curve's own candidates.
    void layOut() {
        const std::vector<int> &fitIndex = setup_.base.fitIndex;
        const std::size_t nc = setup_.curves.size();
        slots_.assign(nc, std::vector<int>(fitIndex.size(), -1));
        auto add = [&](std::size_t m, int curve) {
            GlobalParameter p;
            p.entry = fitIndex[m];
            p.curve = curve;
            p.start = setup_.start[m];
            result_.parameters.push_back(p);
            entryOf_.push_back(m);
            start_.push_back(std::clamp(setup_.start[m], setup_.lower[m], setup_.upper[m]));
            return static_cast<int>(result_.parameters.size()) - 1;
        };
        for (std::size_t m = 0; m < fitIndex.size(); ++m)
            if (!setup_.perCurve[m]) {
                const int j = add(m, -1);
                for (std::size_t c = 0; c < nc; ++c)
                    slots_[c][m] = j;
            }
        for (std::size_t c = 0; c < nc; ++c)
            for (std::size_t m = 0; m < fitIndex.size(); ++m)
                if (setup_.perCurve[m])
                    slots_[c][m] = add(m, static_cast<int>(c));
    }

    void buildCurves() {
        const std::size_t nc = setup_.curves.size();
        curves_.resize(nc);
        std::size_t offset = 0;
        for (std::size_t c = 0; c < nc; ++c) {
            const GlobalCurve &curve = setup_.curves[c];
            CurveModel &model = curves_[c];
            model.setup = setup_.base;
            takeProgramme(model.setup.state, curve.programme);
            model.setup.state.fitMode = true;
            model.setup.measured = curve.potential;
            model.slot = slots_[c];
            model.weighed = fitWindowPoints(curve.potential, curve.window,
                                            measuredAxisTolerance(model.setup.state));
            if (model.weighed.size() < kMinimumWindowPoints)
                throw FitRefusal("Global Fit Error: the fit window of " + curve.label + " holds " +
                                 std::to_string(model.weighed.size()) +
                                 " points; widen it to at least " +
                                 std::to_string(kMinimumWindowPoints) + ".");
            model.noise = curveNoise(curve.potential, curve.value, curve.programme.eStep);
            if (!setup_.equalWeights && !(model.noise > 0))
                throw FitRefusal("Global Fit Error: the noise of " + curve.label +
                                 " cannot be estimated from its points; tick Equal weights.");
            model.weight = setup_.equalWeights ? 1.0 : 1.0 / (model.noise * model.noise);
            model.scale = setup_.equalWeights ? 1.0 : 1.0 / model.noise;
            model.offset = offset;
            offset += model.weighed.size();
            model.whole.assign(curve.potential.size(), 0.0);
        }
    }

    void buildProblem() {
        for (std::size_t c = 0; c < curves_.size(); ++c)
            for (std::size_t i : curves_[c].weighed)
                problem_.ymeas.push_back(curves_[c].scale * setup_.curves[c].value[i]);
        const std::size_t np = result_.parameters.size();
        problem_.free.assign(np, true);
        std::vector<bool> scale(np);
        for (std::size_t j = 0; j < np; ++j) {
            const std::size_t m = entryOf_[j];
            problem_.lower.push_back(setup_.lower[m]);
            problem_.upper.push_back(setup_.upper[m]);
            scale[j] = isScaleParameter(result_.parameters[j].entry);
        }
        setStatistics(problem_);
        MarquardtProblem perEntry;
        perEntry.lower = setup_.lower;
        perEntry.upper = setup_.upper;
        perEntry.derivStep0 = problem_.derivStep0;
        setDifferenceSteps(setup_.base.state, setup_.base.fitIndex, perEntry);
        for (std::size_t j = 0; j < np; ++j) {
            problem_.fixedStep.push_back(perEntry.fixedStep[entryOf_[j]]);
            problem_.zeroStep.push_back(perEntry.zeroStep[entryOf_[j]]);
        }
        logStepped_ = logSteppedParameters(scale, problem_.lower);
        for (std::size_t j = 0; j < np; ++j)
            result_.parameters[j].logStepped = logStepped_[j];
        problem_.model = [this](const std::vector<double> &x, std::vector<double> &y) {
            evaluate(x, y);
        };
        problem_.models = [this](const std::vector<std::vector<double>> &xs,
                                 std::vector<std::vector<double>> &ys) {
            evaluateAll(xs, ys, true);
        };
    }

    // Every worker's objectives, one per curve, polling the stop flag between points.
    void buildCopies() {
        copies_.resize(at(threads_));
        for (std::vector<CurveCopy> &own : copies_)
            for (const CurveModel &model : curves_) {
                CurveCopy copy;
                copy.objective = std::make_unique<SimulationObjective>(model.setup, *copy.store);
                if (stop_ != nullptr)
                    copy.objective->pointPoll = [stop = stop_] {
                        if (stop->load())
                            throw StopRequested();
                    };
                own.push_back(std::move(copy));
            }
    }

    // Worker w simulates the tasks w, w + T, w + 2T ... of the batch: task t is curve t % C at
    // point t / C, always with the worker's own objective of that curve.
    void work(int w) {
        const int count = static_cast<int>(curves_.size());
        const int tasks = static_cast<int>(batch_->size()) * count;
        for (int t = w; t < tasks; t += threads_) {
            const std::size_t p = at(t / count);
            const std::size_t c = at(t % count);
            const CurveModel &model = curves_[c];
            try {
                std::vector<double> own(model.slot.size());
                for (std::size_t m = 0; m < model.slot.size(); ++m)
                    own[m] = (*batch_)[p][at(model.slot[m])];
                wholes_[p][c].resize(model.whole.size());
                (*copies_[at(w)][c].objective)(own, wholes_[p][c]);
            } catch (...) {
                failures_[p][c] = std::current_exception();
            }
        }
    }

    // The stacked, weighted curves at each point, simulated side by side. A point whose
    // simulation raised RuntimeError is left empty when `forgiving`, else the error is raised
    // again; any other error (the user's stop) is raised again.
    void evaluateAll(const std::vector<std::vector<double>> &xs,
                     std::vector<std::vector<double>> &ys, bool forgiving) {
        const std::size_t count = curves_.size();
        wholes_.assign(xs.size(), std::vector<std::vector<double>>(count));
        failures_.assign(xs.size(), std::vector<std::exception_ptr>(count));
        batch_ = &xs;
        workers_->run();
        ys.resize(xs.size());
        for (std::size_t p = 0; p < xs.size(); ++p) {
            ys[p].assign(problem_.ymeas.size(), 0.0);
            for (std::size_t c = 0; c < count; ++c) {
                if (failures_[p][c]) {
                    try {
                        std::rethrow_exception(failures_[p][c]);
                    } catch (const FitRefusal &refusal) {
                        if (!forgiving)
                            throw FitRefusal(namingCurve(refusal.what(), c));
                        ys[p].clear();
                        break;
                    } catch (const RuntimeError &) {
                        if (!forgiving)
                            throw;
                        ys[p].clear();
                        break;
                    }
                }
                const CurveModel &model = curves_[c];
                for (std::size_t m = 0; m < model.weighed.size(); ++m)
                    ys[p][model.offset + m] = model.scale * wholes_[p][c][model.weighed[m]];
            }
        }
    }

    // "Fit Error: the measured curve has ..." as "Global Fit Error: curve 2, 1 V/s: the measured
    // curve has ...".
    std::string namingCurve(const std::string &message, std::size_t c) const {
        const std::string prefix = "Fit Error: ";
        const std::string text =
            message.rfind(prefix, 0) == 0 ? message.substr(prefix.size()) : message;
        char rate[32];
        std::snprintf(rate, sizeof rate, "%.4g", setup_.curves[c].programme.scanRate);
        return "Global Fit Error: " + setup_.curves[c].label + ", " + rate + " V/s: " + text +
               " In the Global Fit window, Remove the curve and Add it again once the parameters "
               "window states its programme.";
    }

    void evaluate(const std::vector<double> &x, std::vector<double> &y) {
        std::vector<std::vector<double>> ys;
        evaluateAll({x}, ys, false);
        y = std::move(ys[0]);
        for (std::size_t c = 0; c < curves_.size(); ++c)
            curves_[c].whole = wholes_[0][c];
    }

    void report(const std::vector<double> &x, const FitUncertainty &uncertainty, bool stopped) {
        for (std::size_t j = 0; j < x.size(); ++j) {
            GlobalParameter &p = result_.parameters[j];
            p.value = x[j];
            if (!stopped)
                p.standardError = uncertainty.standardError[j];
            const double near = 1e-6 * (problem_.upper[j] - problem_.lower[j]);
            std::string remark;
            if (x[j] <= problem_.lower[j] + near)
                remark = "at lower bound";
            else if (x[j] >= problem_.upper[j] - near)
                remark = "at upper bound";
            auto add = [&remark](const char *text) {
                remark += (remark.empty() ? "" : ", ") + std::string(text);
            };
            if (!stopped && !p.standardError)
                add("not determined");
            else if (p.standardError && !isStandardPotential(p.entry) &&
                     *p.standardError > kPoorlyDeterminedShare * std::fabs(x[j]))
                add("poorly determined");
            p.remark = remark;
        }
        result_.equalWeights = setup_.equalWeights;
        for (std::size_t c = 0; c < curves_.size(); ++c) {
            const CurveModel &model = curves_[c];
            const GlobalCurve &curve = setup_.curves[c];
            GlobalCurveResult r;
            r.label = curve.label;
            r.scanRate = curve.programme.scanRate;
            r.points = static_cast<int>(model.weighed.size());
            r.noise = model.noise;
            r.weight = model.weight;
            for (std::size_t i : model.weighed) {
                const double residual = model.whole[i] - curve.value[i];
                r.leastSquare += residual * residual;
            }
            r.rmsResidual = std::sqrt(r.leastSquare / r.points);
            r.potential = curve.potential;
            r.measured = curve.value;
            r.fitted = model.whole;
            result_.curves.push_back(std::move(r));
        }
    }

    static constexpr double kPoorlyDeterminedShare = 0.5;

    const GlobalFitSetup &setup_;
    std::atomic<bool> *stop_;
    std::vector<std::vector<int>> slots_; // [curve][candidate] -> parameter
    std::vector<std::size_t> entryOf_;    // parameter -> candidate
    std::vector<double> start_;           // parameter units, inside the bounds
    std::vector<bool> logStepped_;
    std::vector<CurveModel> curves_;
    MarquardtProblem problem_;
    GlobalFitResult result_;
    int threads_ = 1;
    std::vector<std::vector<CurveCopy>> copies_;              // [worker][curve]
    CurveWorkers *workers_ = nullptr;                         // while the fit runs
    const std::vector<std::vector<double>> *batch_ = nullptr; // the points being evaluated
    std::vector<std::vector<std::vector<double>>> wholes_;    // [point][curve] whole curves
    std::vector<std::vector<std::exception_ptr>> failures_;   // [point][curve]
};

} // namespace

void takeProgramme(ExperimentState &to, const ExperimentState &from) {
    to.eStart = from.eStart;
    to.eEnd = from.eEnd;
    to.eVertex2 = from.eVertex2;
    to.eFinal = from.eFinal;
    to.quietTime = from.quietTime;
    to.vertexHold = from.vertexHold;
    to.eStep = from.eStep;
    to.scanRate = from.scanRate;
    to.dropTime = from.dropTime;
    to.pulseTime = from.pulseTime;
    to.pulseAmplitude = from.pulseAmplitude;
    to.cycles = from.cycles;
}

double curveNoise(const std::vector<double> &potential, const std::vector<double> &value,
                  double eStep) {
    std::vector<double> residuals;
    for (const AxisSweep &sweep : sweepsOf(potential, 0.5 * std::fabs(eStep))) {
        std::vector<double> y(value.begin() + sweep.first - 1, value.begin() + sweep.last);
        const std::vector<double> r = localFitResiduals(y, kNoiseHalfWidth, kNoiseDegree);
        residuals.insert(residuals.end(), r.begin(), r.end());
    }
    return robustDeviation(std::move(residuals));
}

GlobalFitResult runGlobalFit(const GlobalFitSetup &setup, MarquardtMemory &memory,
                             const std::function<bool(int, double)> &afterIteration,
                             std::atomic<bool> *stop) {
    GlobalFitRun run(setup, stop);
    int iterations = 0;
    GlobalFitResult result = run.run(memory, [&](int iteration, double phi) {
        iterations = iteration;
        return !afterIteration || afterIteration(iteration, phi);
    });
    result.iterations = iterations;
    return result;
}

} // namespace kemvo
