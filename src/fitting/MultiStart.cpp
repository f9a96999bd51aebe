#include "fitting/MultiStart.h"

#include "shell/Progress.h"
#include "shell/RuntimeError.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <numeric>
#include <random>
#include <thread>

namespace kemvo {
namespace {

constexpr double kLogDifferenceStep = 1e-4; // in ln x: a 0.01 % change of x
constexpr double kLogMoveFloor = 1e-9;      // in ln x: 1e-9 of x

std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

// A uniform number in [0, 1) from the generator's 53 high bits: the same on every platform,
// as std::mt19937_64 itself is.
double uniform(std::mt19937_64 &generator) {
    return static_cast<double>(generator() >> 11) * 0x1.0p-53;
}

} // namespace

std::vector<bool> logSteppedParameters(const std::vector<bool> &scaleParameter,
                                       const std::vector<double> &lower) {
    std::vector<bool> logStepped(scaleParameter.size());
    for (std::size_t j = 0; j < scaleParameter.size(); ++j)
        logStepped[j] = scaleParameter[j] && lower[j] > 0;
    return logStepped;
}

std::vector<double> toEngine(std::vector<double> x, const std::vector<bool> &logStepped) {
    for (std::size_t j = 0; j < x.size(); ++j)
        if (logStepped[j])
            x[j] = std::log(x[j]);
    return x;
}

std::vector<double> fromEngine(std::vector<double> u, const std::vector<bool> &logStepped) {
    for (std::size_t j = 0; j < u.size(); ++j)
        if (logStepped[j])
            u[j] = std::exp(u[j]);
    return u;
}

MarquardtProblem inEngineCoordinates(const MarquardtProblem &problem,
                                     const std::vector<bool> &logStepped) {
    MarquardtProblem engine = problem;
    const std::size_t np = problem.lower.size();
    engine.fixedStep.resize(np, 0.0);
    engine.zeroStep.resize(np, problem.derivStep0);
    engine.moveFloor.resize(np, 0.0);
    for (std::size_t j = 0; j < np; ++j) {
        if (!logStepped[j])
            continue;
        engine.lower[j] = std::log(problem.lower[j]);
        engine.upper[j] = std::log(problem.upper[j]);
        engine.fixedStep[j] = kLogDifferenceStep;
        engine.moveFloor[j] = kLogMoveFloor;
    }
    FitModel model = problem.model;
    engine.model = [model, logStepped](const std::vector<double> &u, std::vector<double> &y) {
        model(fromEngine(u, logStepped), y);
    };
    if (FitModels models = problem.models)
        engine.models = [models, logStepped](const std::vector<std::vector<double>> &us,
                                             std::vector<std::vector<double>> &ys) {
            std::vector<std::vector<double>> xs;
            for (const std::vector<double> &u : us)
                xs.push_back(fromEngine(u, logStepped));
            models(xs, ys);
        };
    return engine;
}

FitUncertainty uncertaintyInParameterUnits(const MarquardtProblem &engineProblem,
                                           const std::vector<double> &u,
                                           const std::vector<double> &ycalc, double phi,
                                           const std::vector<bool> &logStepped) {
    FitUncertainty result = estimateUncertainty(engineProblem, u, ycalc, phi);
    for (std::size_t j = 0; j < u.size(); ++j)
        if (logStepped[j] && result.standardError[j])
            result.standardError[j] = *result.standardError[j] * std::exp(u[j]);
    return result;
}

std::vector<std::vector<double>> latinHypercube(int count, const std::vector<double> &lower,
                                                const std::vector<double> &upper,
                                                const std::vector<bool> &logStepped,
                                                std::uint64_t seed) {
    const std::size_t d = lower.size();
    std::vector<std::vector<double>> points(at(count), std::vector<double>(d));
    std::mt19937_64 generator(seed);
    std::vector<int> stratum(at(count));
    for (std::size_t j = 0; j < d; ++j) {
        std::iota(stratum.begin(), stratum.end(), 0);
        for (int i = count - 1; i > 0; --i) // Fisher-Yates
            std::swap(stratum[at(i)], stratum[generator() % at(i + 1)]);
        const double low = logStepped[j] ? std::log(lower[j]) : lower[j];
        const double high = logStepped[j] ? std::log(upper[j]) : upper[j];
        for (int i = 0; i < count; ++i) {
            double share = (stratum[at(i)] + uniform(generator)) / count;
            double v = low + share * (high - low);
            points[at(i)][j] = logStepped[j] ? std::exp(v) : v;
            points[at(i)][j] = std::clamp(points[at(i)][j], lower[j], upper[j]);
        }
    }
    return points;
}

namespace {

class StartPool {
public:
    explicit StartPool(StartsRun &run)
        : run_(run), total_(static_cast<int>(run.starts.size())),
          workers_(std::max(1, std::min(static_cast<int>(run.problems.size()), total_))),
          outcomes_(at(total_)) {
        for (int w = 0; w < workers_; ++w)
            engine_.push_back(inEngineCoordinates(run.problems[at(w)], run.logStepped));
    }

    std::vector<StartOutcome> run() {
        std::vector<std::thread> threads;
        running_ = workers_ - 1;
        for (int w = 1; w < workers_; ++w)
            threads.emplace_back([this, w] {
                work(w);
                std::lock_guard<std::mutex> lock(mutex_);
                --running_;
                finishedWorker_.notify_all();
            });
        work(0);
        {
            std::unique_lock<std::mutex> lock(mutex_);
            while (running_ > 0) {
                finishedWorker_.wait_for(lock, std::chrono::milliseconds(20));
                lock.unlock();
                pollOnGuiThread(0);
                lock.lock();
            }
        }
        for (std::thread &t : threads)
            t.join();
        return std::move(outcomes_);
    }

private:
    bool stopped() const { return run_.stop != nullptr && run_.stop->load(); }

    void pollOnGuiThread(double withinStart) {
        if (!run_.poll || stopped())
            return;
        double fraction = (finished_.load() + withinStart) / total_;
        if (run_.poll(std::min(1.0, fraction)) && run_.stop != nullptr)
            run_.stop->store(true);
    }

    void work(int w) {
        for (int s = w == 0 ? 0 : next_++; s < total_; s = next_++) {
            StartOutcome &out = outcomes_[at(s)];
            if (stopped()) {
                out.flag = kStoppedByUser;
                continue;
            }
            fit(w, s, out);
            ++finished_;
        }
    }

    void fit(int w, int s, StartOutcome &out) {
        const MarquardtProblem &problem = engine_[at(w)];
        out.memory = run_.memory;
        MarquardtRun r(toEngine(run_.starts[at(s)], run_.logStepped));
        bool interrupted = false;
        try {
            runMarquardtFit(problem, out.memory, r, [&](const MarquardtRun &, int iteration) {
                out.iterations = iteration;
                if (s == 0 && run_.firstStartIteration)
                    run_.firstStartIteration(r, iteration);
                if (w == 0)
                    pollOnGuiThread(iteration / (kIterationLimit + 1.0));
                return !stopped();
            });
        } catch (const StopRequested &) {
            interrupted = true;
        } catch (const std::exception &e) {
            if (!std::isfinite(r.bestPhi))
                out.error = e.what();
            interrupted = true;
        }
        out.evaluations = r.evaluations;
        out.marquardts = r.marquardts;
        out.modelRuns = r.modelRuns;
        if (!std::isfinite(r.bestPhi))
            return;
        out.flag = interrupted ? kStoppedByUser : r.flag;
        out.x = fromEngine(r.bestX, run_.logStepped);
        out.phi = r.bestPhi;
        // The run's last model curve is that of its best point unless it was interrupted.
        if (!interrupted && r.x == r.bestX)
            out.ycalc = r.ycalc;
    }

    StartsRun &run_;
    const int total_;
    const int workers_;
    std::vector<MarquardtProblem> engine_;
    std::vector<StartOutcome> outcomes_;
    std::atomic<int> next_{1}; // start 0 is worker 0's
    std::atomic<int> finished_{0};
    std::mutex mutex_;
    std::condition_variable finishedWorker_;
    int running_ = 0;
};

} // namespace

std::vector<StartOutcome> runStarts(StartsRun &run) {
    if (run.starts.empty() || run.problems.empty())
        return {};
    return StartPool(run).run();
}

// A thread pays only where a simulation outlasts its start: when the first point took less,
// the calling thread evaluates the rest too.
constexpr std::chrono::microseconds kWorthAThread{500};

FitModels modelsSideBySide(FitModel own, std::function<std::vector<FitModel>()> others,
                           std::size_t n) {
    auto models = std::make_shared<std::vector<FitModel>>(1, std::move(own));
    auto madeOthers = std::make_shared<bool>(false);
    return [models, madeOthers, others = std::move(others),
            n](const std::vector<std::vector<double>> &xs, std::vector<std::vector<double>> &ys) {
        std::atomic<bool> stopped{false};
        const auto evaluate = [&](std::size_t w, std::size_t p) {
            ys[p].assign(n, 0.0);
            try {
                (*models)[w](xs[p], ys[p]);
            } catch (const RuntimeError &) {
                ys[p].clear();
            } catch (const StopRequested &) {
                stopped.store(true);
            }
            if (!std::all_of(ys[p].begin(), ys[p].end(), [](double v) { return std::isfinite(v); }))
                ys[p].clear();
        };
        if (xs.empty())
            return;
        const auto started = std::chrono::steady_clock::now();
        evaluate(0, 0);
        const bool worthThreads = std::chrono::steady_clock::now() - started > kWorthAThread;
        if (worthThreads && !*madeOthers) {
            for (FitModel &model : others())
                models->push_back(std::move(model));
            *madeOthers = true;
        }
        const std::size_t count = worthThreads ? models->size() : 1;
        // Points 1, 2, ... go round the models: point p to model (p - 1) % count.
        const auto share = [&](std::size_t w) {
            for (std::size_t p = 1 + w; p < xs.size() && !stopped.load(); p += count)
                evaluate(w, p);
        };
        std::vector<std::thread> threads;
        for (std::size_t w = 1; w < count && w < xs.size(); ++w)
            threads.emplace_back(share, w);
        share(0);
        for (std::thread &t : threads)
            t.join();
        if (stopped.load())
            throw StopRequested();
    };
}

int bestStart(const std::vector<StartOutcome> &outcomes) {
    int best = -1;
    for (std::size_t s = 0; s < outcomes.size(); ++s)
        if (std::isfinite(outcomes[s].phi) &&
            (best < 0 || outcomes[s].phi < outcomes[at(best)].phi))
            best = static_cast<int>(s);
    return best;
}

int startsAtBest(const std::vector<StartOutcome> &outcomes, double tolerance, double floor) {
    const int best = bestStart(outcomes);
    if (best < 0)
        return 0;
    const double phi = outcomes[at(best)].phi;
    int count = 0;
    for (const StartOutcome &o : outcomes)
        if (std::isfinite(o.phi) && o.phi <= phi + tolerance * std::fabs(phi) + floor)
            ++count;
    return count;
}

int coreCount() {
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

} // namespace kemvo
