#include "fitting/FitDriver.h"

#include "fitting/FitProblem.h"
#include "fitting/FitReport.h"
#include "fitting/FitWindow.h"
#include "fitting/MultiStart.h"
#include "fitting/SimulationObjective.h"
#include "setup/FormExpr.h"
#include "shell/Application.h"
#include "shell/BoxValue.h"
#include "shell/Constants.h"
#include "shell/NumberText.h"
#include "simulation/ClosedFormCatalogue.h"
#include "simulation/DisplayedQuantity.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>

namespace kemvo {
namespace {

// The fewest points a fit window may hold.
constexpr std::size_t kMinimumWindowPoints = 3;

// Ends the progress display however the fit ends.
struct ProgressShown {
    Progress &progress;
    ~ProgressShown() { progress.end(); }
};

// The simulation of the fit, points 1..n, into the application's curve store: the potentials,
// every step's current and surface concentration, and the displayed columns it derived.
void copySimulation(const ExperimentState &state, const CurveStore &from, CurveStore &to,
                    bool surfaceConcentrations) {
    for (int i = 1; i <= state.pointCount; ++i) {
        to.potential(i) = from.potential(i);
        for (int k = 0; k < decltype(from.reactionCurrent)::kColumns; ++k) {
            to.reactionCurrent(i, k) = from.reactionCurrent(i, k);
            to.surfaceConc(i, k) = from.surfaceConc(i, k);
        }
        to.curves(i, state.currentCurve) = from.curves(i, state.currentCurve);
        for (int j = 1; surfaceConcentrations && j <= state.speciesCount; ++j)
            to.curves(i, j) = from.curves(i, j);
    }
}

class AutoFitRun {
public:
    AutoFitRun(Application &app, FitWorkspace &workspace, const std::vector<double> &ymeas)
        : app_(app), workspace_(workspace), form_(app.form<FormExpr>()) {
        t0_ = static_cast<float>(app.platform().clock.secondsSinceMidnight());
        problem_.ymeas = ymeas;
    }

    FitSummary run() {
        if (problem_.ymeas.empty())
            throw FitRefusal("Fit Error: there is no measured curve to fit.");
        // An experiment that no closed form serves is refused as the Simulate command does.
        if (!app_.state().digital)
            if (auto refusal = closedFormRefusal(app_.state()))
                throw FitRefusal("Analytical simulation Error: " + refusal->description +
                                 refusal->tail);
        summary_.fitIndex = selectedCandidates(form_);
        if (summary_.fitIndex.empty())
            throw FitRefusal("Fit Error: no parameter is ticked. Tick the box beside each "
                             "parameter to fit.");
        for (int k : summary_.fitIndex)
            form_.proposeUntypedFitRange(k);
        readBounds(form_, summary_.fitIndex, problem_);
        further_ = furtherStarts(form_);
        setUp();
        // The start is simulated first, here: a refusal or a failure leaves everything as it was.
        std::vector<double> y(problem_.ymeas.size());
        problem_.model(summary_.start, y);
        ++summary_.simulations;

        Progress &progress = app_.platform().progress;
        progress.begin("Auto Fit");
        ProgressShown shown{progress};
        polling_ = true;
        std::vector<StartOutcome> outcomes = fitAllStarts();
        polling_ = false; // the best point and its errors are simulated to their end
        const int best = bestStart(outcomes);
        if (best < 0)
            return {};
        finish(outcomes, outcomes[static_cast<std::size_t>(best)]);
        return summary_;
    }

private:
    void setUp() {
        const std::size_t np = summary_.fitIndex.size();
        problem_.free.assign(np, true);
        std::vector<double> potentials;
        for (std::size_t i = 1; i <= problem_.ymeas.size(); ++i)
            potentials.push_back(app_.store().potential(static_cast<int>(i)));
        weighPointsInWindow(potentials);
        setStatistics(problem_);
        setDifferenceSteps(app_.state(), summary_.fitIndex, problem_);
        setup_ = objectiveSetup(app_, summary_.fitIndex, std::move(potentials));
        for (std::size_t m = 0; m < np; ++m) {
            const int k = summary_.fitIndex[m];
            // A concentration starts from the bulk concentration typed, not from the initial
            // one that the pre-equilibration derives from it.
            const bool bulk = k >= fitConcentration(1) && k <= fitConcentration(4);
            double start = bulk ? setup_.concentrations.bulk[static_cast<std::size_t>(k)]
                                : fitCandidateStart(app_.state(), setup_.resistance, k);
            if (!(start >= problem_.lower[m] && start <= problem_.upper[m]))
                throw FitRefusal(startRefusal(k, start, problem_, m));
            summary_.start.push_back(start);
            scale_.push_back(isScaleParameter(k));
            // A standard potential counts moves against 1e-9 V, the others against 1e-9 |x|.
            problem_.moveFloor.push_back(isStandardPotential(k) ? 1e-9 : 0.0);
        }
        summary_.logStepped = logSteppedParameters(scale_, problem_.lower);
        summary_.dataVar = problem_.dataVar;
        mainObjective_ = std::make_unique<SimulationObjective>(setup_, *workspace_.store);
        mainObjective_->pointPoll = [this] { pollInsideASimulation(); };
        problem_.model = modelOf(*mainObjective_);
    }

    // The model of one worker: its objective's simulation at the measured points inside the
    // fit window, each worker with a buffer of its own for the whole curve.
    FitModel modelOf(SimulationObjective &objective) const {
        if (!windowed())
            return [&objective](const std::vector<double> &x, std::vector<double> &y) {
                objective(x, y);
            };
        auto whole = std::make_shared<std::vector<double>>(measuredCount_);
        return [&objective, whole, weighed = weighed_](const std::vector<double> &x,
                                                       std::vector<double> &y) {
            objective(x, *whole);
            y.resize(weighed.size());
            for (std::size_t m = 0; m < weighed.size(); ++m)
                y[m] = (*whole)[weighed[m]];
        };
    }

    // The fit window: the engine sees only the points inside it, so that the least square,
    // the degrees of freedom and the standard errors count those alone.
    void weighPointsInWindow(const std::vector<double> &potentials) {
        window_ = readFitWindow(form_);
        measuredCount_ = potentials.size();
        weighed_ = fitWindowPoints(potentials, window_, measuredAxisTolerance(app_.state()));
        if (weighed_.size() < kMinimumWindowPoints && weighed_.size() < potentials.size())
            throw FitRefusal("Fit Error: the fit window holds " + std::to_string(weighed_.size()) +
                             " points; widen it to at least " +
                             std::to_string(kMinimumWindowPoints) + ".");
        if (!windowed())
            return;
        std::vector<double> inside;
        for (std::size_t i : weighed_)
            inside.push_back(problem_.ymeas[i]);
        problem_.ymeas = std::move(inside);
    }

    bool windowed() const { return weighed_.size() < measuredCount_; }

    // The measured curve (column 1) shows which points the fit did not weigh.
    void markUnweightedPoints() {
        ExperimentState &state = app_.state();
        state.unweighted.clear();
        if (!windowed())
            return;
        state.unweighted.assign(measuredCount_, true);
        for (std::size_t i : weighed_)
            state.unweighted[i] = false;
    }

    // One problem per worker: worker 0 the window thread's, each other its own objective on its
    // own curve store, stopped through the flag between points.
    std::vector<MarquardtProblem> workerProblems(const std::vector<bool> &free, int workers) {
        std::vector<MarquardtProblem> problems;
        problems.push_back(problem_);
        problems.back().free = free;
        for (int w = 1; w < workers; ++w) {
            if (static_cast<std::size_t>(w) > workerObjectives_.size()) {
                workerStores_.push_back(std::make_unique<CurveStore>());
                workerObjectives_.push_back(
                    std::make_unique<SimulationObjective>(setup_, *workerStores_.back()));
                workerObjectives_.back()->pointPoll = [this] {
                    if (stop_.load())
                        throw StopRequested();
                };
            }
            problems.push_back(problem_);
            problems.back().free = free;
            problems.back().model = modelOf(*workerObjectives_[static_cast<std::size_t>(w - 1)]);
        }
        return problems;
    }

    // The typed start, the given extra starts, and the Latin hypercube's further starts, with
    // the parameters not free at their typed values.
    std::vector<StartOutcome> fitStage(const std::vector<bool> &free,
                                       const std::vector<std::vector<double>> &extra) {
        StartsRun run;
        run.logStepped = summary_.logStepped;
        run.starts.push_back(summary_.start);
        for (const auto &x : extra)
            run.starts.push_back(x);
        for (auto x :
             latinHypercube(further_, problem_.lower, problem_.upper, run.logStepped, kStartSeed)) {
            for (std::size_t m = 0; m < x.size(); ++m)
                if (!free[m])
                    x[m] = summary_.start[m];
            run.starts.push_back(x);
        }
        const int workers = std::min<int>(coreCount(), static_cast<int>(run.starts.size()));
        run.problems = workerProblems(free, workers);
        // A single start keeps one core busy: its Jacobian's columns run side by side instead.
        if (workers == 1 && coreCount() > 1) {
            const auto others = [this, free] {
                std::vector<FitModel> models;
                for (const MarquardtProblem &worker : workerProblems(free, coreCount()))
                    models.push_back(worker.model);
                models.erase(models.begin()); // the calling thread's own
                return models;
            };
            run.problems.front().models =
                modelsSideBySide(run.problems.front().model, others, problem_.ymeas.size());
        }
        run.memory = workspace_.memory;
        run.stop = &stop_;
        run.poll = [this](double fraction) {
            fraction_ = (stage_ + fraction) / stages_;
            return app_.platform().progress.advance(fraction_);
        };
        run.firstStartIteration = [this](const MarquardtRun &now, int) {
            if (stage_ + 1 == stages_)
                printIterationLine(app_.formResult(), now.phi);
        };
        std::vector<StartOutcome> outcomes = runStarts(run);
        ++stage_;
        return outcomes;
    }

    // With Cdl or Ru ticked beside other parameters, the same fit without them comes first,
    // and its best point is one start of the whole fit, which therefore never ends worse.
    std::vector<StartOutcome> fitAllStarts() {
        const std::size_t np = summary_.fitIndex.size();
        std::vector<bool> withoutCell(np);
        bool cell = false;
        bool other = false;
        for (std::size_t m = 0; m < np; ++m) {
            withoutCell[m] = !isCellParameter(summary_.fitIndex[m]);
            cell = cell || !withoutCell[m];
            other = other || withoutCell[m];
        }
        std::vector<std::vector<double>> extra;
        std::vector<StartOutcome> earlier;
        stages_ = cell && other ? 2 : 1;
        if (stages_ == 2) {
            earlier = fitStage(withoutCell, {});
            const int best = bestStart(earlier);
            if (best >= 0)
                extra.push_back(earlier[static_cast<std::size_t>(best)].x);
        }
        std::vector<StartOutcome> outcomes;
        if (!stop_.load())
            outcomes = fitStage(std::vector<bool>(np, true), extra);
        for (StartOutcome &o : earlier) { // a stopped fit keeps the best of either stage
            o.flag = stop_.load() ? kStoppedByUser : o.flag;
            countWork(o);
        }
        for (const StartOutcome &o : outcomes)
            countWork(o);
        if (outcomes.empty() || (stop_.load() && bestStart(outcomes) < 0))
            return earlier;
        return outcomes;
    }

    void countWork(const StartOutcome &o) {
        summary_.evaluations += o.evaluations;
        summary_.simulations += o.modelRuns;
        if (matrixMessage_.empty())
            for (const auto &objective : workerObjectives_)
                if (!objective->matrixMessage.empty())
                    matrixMessage_ = objective->matrixMessage;
    }

    // A stop inside a simulation of the window thread leaves that simulation unfinished.
    void pollInsideASimulation() {
        if (!polling_)
            return;
        if (stop_.load() || app_.platform().progress.advance(fraction_)) {
            stop_.store(true);
            polling_ = false;
            stoppedInside_ = true;
            throw StopRequested();
        }
    }

    // Beside each parameter: on a bound, not determined, or an error over half its value.
    void remark(std::size_t m) {
        const std::vector<double> u = toEngine(summary_.fitted, summary_.logStepped);
        const std::vector<double> low = toEngine(problem_.lower, summary_.logStepped);
        const std::vector<double> high = toEngine(problem_.upper, summary_.logStepped);
        const double near = 1e-6 * (high[m] - low[m]);
        std::vector<std::string> said;
        if (u[m] <= low[m] + near)
            said.push_back("at lower bound");
        else if (u[m] >= high[m] - near)
            said.push_back("at upper bound");
        if (summary_.uncertaintyEstimated) {
            const auto &se = summary_.uncertainty.standardError[m];
            if (!se)
                said.push_back("not determined");
            else if (!isStandardPotential(summary_.fitIndex[m]) &&
                     *se > kPoorlyDetermined * std::fabs(summary_.fitted[m]))
                said.push_back("poorly determined");
        }
        std::string text;
        for (const std::string &s : said)
            text += (text.empty() ? "" : ", ") + s;
        summary_.remarks.push_back(text);
    }

    void measureResiduals() {
        const double n = static_cast<double>(problem_.ymeas.size());
        double largest = 0;
        for (double y : problem_.ymeas)
            largest = std::max(largest, std::fabs(y));
        summary_.points = static_cast<int>(problem_.ymeas.size());
        summary_.rmsResidual = std::sqrt(summary_.leastSquare / n);
        summary_.rmsPercent = largest > 0 ? 100 * summary_.rmsResidual / largest : 0;
        int determined = 0;
        for (const auto &se : summary_.uncertainty.standardError)
            determined += se ? 1 : 0;
        if (!summary_.uncertaintyEstimated)
            determined = static_cast<int>(summary_.fitted.size());
        summary_.residualSd =
            n > determined ? std::sqrt(summary_.leastSquare / (n - determined)) : 0.0;
    }

    // The best point found becomes the result: the state and column 2 show its simulation, and
    // its standard errors come from a Jacobian there.
    void finish(const std::vector<StartOutcome> &outcomes, const StartOutcome &best) {
        summary_.fitted = best.x;
        summary_.leastSquare = best.phi;
        summary_.flag = stop_.load() ? kStoppedByUser : best.flag;
        summary_.iterations = best.iterations;
        summary_.marquardts = best.marquardts;
        summary_.starts = static_cast<int>(outcomes.size());
        // Least squares at the rounding of the data count as equal.
        summary_.startsAtBest = startsAtBest(outcomes, 1e-6, 1e-22 * problem_.measuredSquares());
        workspace_.memory = best.memory;
        std::vector<double> ycalc(problem_.ymeas.size());
        problem_.model(best.x, ycalc);
        ++summary_.simulations;
        if (!mainObjective_->matrixMessage.empty())
            matrixMessage_ = mainObjective_->matrixMessage;
        app_.state() = mainObjective_->state();
        const std::string quantity = storeBestSimulation();
        app_.derivedQuantity = {};
        app_.derivedQuantity.simulated = true;
        app_.derivedQuantity.choice = quantity;
        summary_.uncertaintyEstimated = !stoppedInside_;
        if (summary_.uncertaintyEstimated) {
            const MarquardtProblem engine = inEngineCoordinates(problem_, summary_.logStepped);
            summary_.uncertainty =
                uncertaintyInParameterUnits(engine, toEngine(best.x, summary_.logStepped), ycalc,
                                            best.phi, summary_.logStepped);
            summary_.simulations += summary_.uncertainty.modelRuns;
        }
        for (std::size_t m = 0; m < summary_.fitted.size(); ++m)
            remark(m);
        measureResiduals();
        summary_.seconds = static_cast<float>(app_.platform().clock.secondsSinceMidnight()) - t0_;
        if (!matrixMessage_.empty())
            app_.showMessage(matrixMessage_);
        app_.formResult().print(fitWindowLine(weighed_.size(), measuredCount_, window_));
        printFitReport(app_.formResult(), summary_);
        markUnweightedPoints();
        app_.formResult().show();
        for (std::size_t m = 0; m < summary_.fitted.size(); ++m)
            form_.CheckFitted(summary_.fitIndex[m])
                .setCaption(formatNumber(summary_.fitted[m], "0.###e-#"));
    }

    // The curve store has one potential axis: a simulation on another grid than the measured
    // curve is stored read at the measured potentials, so that the curves stay aligned.
    // Returns the displayed quantity.
    std::string storeBestSimulation() {
        const std::string quantity = setup_.quantity;
        const bool surfaceCurves = quantity == kShowSurfaceConcentration;
        ExperimentState &state = app_.state();
        const MeasuredAxisMap *map = mainObjective_->measuredAxisMap();
        if (map == nullptr) {
            copySimulation(state, *workspace_.store, app_.store(), surfaceCurves);
            return quantity;
        }
        storeOnMeasuredAxis(state, *workspace_.store, app_.store(), *map,
                            mainObjective_->measuredPotentials(), surfaceCurves);
        describeMeasuredAxis(state, mainObjective_->measuredPotentials());
        return quantity;
    }

    Application &app_;
    FitWorkspace &workspace_;
    FormExpr &form_;
    float t0_ = 0;             // [s] since midnight, in the clock's single precision
    MarquardtProblem problem_; // parameter units, the window thread's model
    ObjectiveSetup setup_;
    std::unique_ptr<SimulationObjective> mainObjective_;
    std::vector<std::unique_ptr<CurveStore>> workerStores_;
    std::vector<std::unique_ptr<SimulationObjective>> workerObjectives_;
    std::vector<bool> scale_;
    FitWindow window_;
    std::vector<std::size_t> weighed_; // the measured points inside the fit window (0-based)
    std::size_t measuredCount_ = 0;
    FitSummary summary_;
    int further_ = kDefaultFurtherStarts;
    int stage_ = 0;
    int stages_ = 1;
    std::atomic<bool> stop_{false};
    std::string matrixMessage_;
    bool polling_ = false;       // the simulations poll the Stop button
    bool stoppedInside_ = false; // the user stopped the fit inside a simulation
    double fraction_ = 0;        // of the fit done, as the progress shows it
};

} // namespace

FitMeasurement currentCurve(Application &app) {
    const ExperimentState &state = app.state();
    FitMeasurement curve;
    for (int i = 1; i <= std::min<int>(state.pointCount, kMaxPoints); ++i) {
        curve.potential.push_back(app.store().potential(i));
        curve.value.push_back(app.store().curves(i, state.currentCurve));
    }
    return curve;
}

void PrepareFitCurve(Application &app) {
    if (!app.measured || app.measured->value.empty())
        app.measured = currentCurve(app);
    ExperimentState &state = app.state();
    if (state.overlapMode)
        return;
    CurveStore &store = app.store();
    const FitMeasurement &measured = *app.measured;
    const int n = static_cast<int>(measured.value.size());
    for (int i = 1; i <= n; ++i) {
        store.potential(i) = measured.potential[static_cast<std::size_t>(i - 1)];
        store.curves(i, 1) = measured.value[static_cast<std::size_t>(i - 1)];
    }
    state.pointCount = n;
    state.firstPoint = 1;
    state.lastPoint = n;
    state.curveCount = 1;
    state.simSlot = 1;
    state.currentCurve = 1;
}

FitSummary AutoFit(Application &app, FitWorkspace &workspace, const std::vector<double> &ymeas) {
    return AutoFitRun(app, workspace, ymeas).run();
}

} // namespace kemvo
