#include "fitting/FitDriver.h"

#include "fitting/FitReport.h"
#include "fitting/FitWindow.h"
#include "fitting/SimulationObjective.h"
#include "setup/FormExpr.h"
#include "shell/Application.h"
#include "shell/BoxValue.h"
#include "shell/Constants.h"
#include "shell/NumberText.h"
#include "simulation/ClosedFormCatalogue.h"
#include "simulation/DisplayedQuantity.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace kemvo {
namespace {

// Share of the 1 % difference step given to a candidate whose value is 0 and whose unit is not
// that of the curve (Cdl, Ru): a hundredth of its upper bound.
constexpr double kZeroStepOfRange = 0.01;

// The fewest points a fit window may hold.
constexpr std::size_t kMinimumWindowPoints = 3;

std::vector<int> selectedCandidates(FormExpr &form) {
    std::vector<int> fitIndex;
    for (int k = 1; k <= kFitEntryCount; ++k)
        if (form.CheckFitted(k).checked() && form.CheckFitted(k).visible())
            fitIndex.push_back(k);
    return fitIndex;
}

// The values a candidate may take, as its box in the parameters window allows them: rate
// constants, concentrations, Cdl and Ru 0 or more, alpha from 0 to 1, E0 any number.
Allowed allowedRange(int k) {
    if (isStandardPotential(k))
        return Allowed::AnyNumber;
    if (k >= fitAlpha(1) && k <= fitAlpha(3))
        return Allowed::UnitInterval;
    return Allowed::NonNegative;
}

double boundValue(const TextBox &box, int k, const char *which) {
    const std::string name = fitCandidateName(k);
    const std::string &text = box.text();
    if (text.find_first_not_of(" \t") == std::string::npos)
        throw FitRefusal("Fit Error: the " + std::string(which) + " bound of " + name +
                         " is empty. Please enter a number.");
    if (!isNumber(text))
        throw FitRefusal("Fit Error: the " + std::string(which) + " bound of " + name + " (" +
                         text + ") is not a number.");
    const double value = strictValue(text);
    if (!isAllowed(value, allowedRange(k)))
        throw FitRefusal("Fit Error: the " + std::string(which) + " bound of " + name + " " +
                         allowedText(allowedRange(k)) + ", not " + quotedText(text) + ".");
    return value;
}

// The bounds of every fitted parameter, read before anything is simulated.
void readBounds(FormExpr &form, const std::vector<int> &fitIndex, MarquardtProblem &problem) {
    for (int k : fitIndex) {
        double lower = boundValue(form.TextCmin(k), k, "lower");
        double upper = boundValue(form.TextCmax(k), k, "upper");
        if (lower > upper)
            throw FitRefusal("Fit Error: the lower bound of " + fitCandidateName(k) + " (" +
                             form.TextCmin(k).text() + ") is above its upper bound (" +
                             form.TextCmax(k).text() + ").");
        problem.lower.push_back(lower);
        problem.upper.push_back(upper);
    }
}

void setStatistics(MarquardtProblem &problem) {
    const double n = static_cast<double>(problem.ymeas.size());
    double mean = 0;
    for (double y : problem.ymeas)
        mean += y;
    mean /= n;
    double variance = 0;
    for (double y : problem.ymeas)
        variance += (mean - y) * (mean - y);
    problem.dataVar = checkedFinite(variance / n);
    problem.derivStep0 = std::sqrt(problem.dataVar);
}

// The difference steps: 0.01 RT/F for a standard potential; for a zero Cdl or Ru a share of
// its range, since derivStep0 is a current.
void setDifferenceSteps(const ExperimentState &state, const std::vector<int> &fitIndex,
                        MarquardtProblem &problem) {
    const double thermalVoltage = kGasConstant * state.temperatureK / kFaraday; // RT/F [V]
    for (std::size_t m = 0; m < fitIndex.size(); ++m) {
        int k = fitIndex[m];
        problem.fixedStep.push_back(isStandardPotential(k) ? 0.01 * thermalVoltage : 0.0);
        bool ownUnit = k == fitCdl() || k == fitRu();
        problem.zeroStep.push_back(ownUnit && problem.upper[m] > 0
                                       ? kZeroStepOfRange * problem.upper[m]
                                       : problem.derivStep0);
    }
}

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
        readBounds(form_, summary_.fitIndex, problem_);
        setUp();
        const ExperimentState before = app_.state();
        MarquardtRun run(startInBounds());
        try {
            iterate(run);
        } catch (const RuntimeError &) {
            if (!std::isfinite(run.bestPhi))
                app_.state() = before;
            throw;
        }
        if (!std::isfinite(run.bestPhi)) { // stopped before the start was simulated
            app_.state() = before;
            return {};
        }
        finish(run);
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
        objective_ = std::make_unique<SimulationObjective>(
            app_, summary_.fitIndex, std::move(potentials), *workspace_.store);
        objective_->pointPoll = [this] { pollInsideASimulation(); };
        problem_.model = [this](const std::vector<double> &x, std::vector<double> &y) {
            if (!windowed()) {
                (*objective_)(x, y);
                return;
            }
            (*objective_)(x, wholeCurve_);
            y.resize(weighed_.size());
            for (std::size_t m = 0; m < weighed_.size(); ++m)
                y[m] = wholeCurve_[weighed_[m]];
        };
        for (int k : summary_.fitIndex)
            summary_.start.push_back(fitCandidateStart(app_.state(), objective_->resistance, k));
        summary_.dataVar = problem_.dataVar;
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
        wholeCurve_.assign(measuredCount_, 0.0);
    }

    bool windowed() const { return weighed_.size() < measuredCount_; }

    std::vector<double> startInBounds() const {
        std::vector<double> x = summary_.start;
        for (std::size_t m = 0; m < x.size(); ++m)
            x[m] = std::max(problem_.lower[m], std::min(problem_.upper[m], x[m]));
        return x;
    }

    // The engine's calls, one "Least square = " line and one poll of the Stop button each,
    // and a poll at every point of every simulation. A stop, between iterations or inside a
    // simulation, ends the fit with its best point.
    void iterate(MarquardtRun &run) {
        Progress &progress = app_.platform().progress;
        progress.begin("Auto Fit");
        ProgressShown shown{progress};
        polling_ = true;
        try {
            runMarquardtFit(problem_, workspace_.memory, run,
                            [&](const MarquardtRun &now, int iteration) {
                                summary_.iterations = iteration;
                                printIterationLine(app_.formResult(), now.phi);
                                fraction_ = iteration / (kIterationLimit + 1.0);
                                return !progress.advance(fraction_);
                            });
        } catch (const StopRequested &) {
        }
        polling_ = false; // the best point and its errors are simulated to their end
    }

    // A stop inside a simulation leaves that simulation unfinished: its trial values in the
    // state and part of its curve in the store.
    void pollInsideASimulation() {
        if (!polling_)
            return;
        if (app_.platform().progress.advance(fraction_)) {
            polling_ = false;
            stoppedInside_ = true;
            throw StopRequested();
        }
    }

    // The best point found becomes the result: the state and column 2 show its simulation, and
    // its standard errors come from a Jacobian there.
    void finish(const MarquardtRun &run) {
        summary_.fitted = run.bestX;
        summary_.leastSquare = run.bestPhi;
        summary_.flag = run.flag;
        summary_.evaluations = run.evaluations;
        summary_.marquardts = run.marquardts;
        summary_.simulations = run.modelRuns;
        // The engine's last simulation is that of its last trial: the best one unless the
        // fit ended on the lambda limit.
        std::vector<double> ycalc = run.ycalc;
        if (run.x != run.bestX || stoppedInside_)
            simulate(run.bestX, ycalc);
        const std::string quantity = storeBestSimulation();
        app_.derivedQuantity = {};
        app_.derivedQuantity.simulated = true;
        app_.derivedQuantity.choice = quantity;
        summary_.uncertaintyEstimated = !stoppedInside_;
        if (summary_.uncertaintyEstimated) {
            const ExperimentState atBest = app_.state();
            summary_.uncertainty = estimateUncertainty(problem_, run.bestX, ycalc, run.bestPhi);
            summary_.simulations += summary_.uncertainty.modelRuns;
            app_.state() = atBest;
        }
        summary_.seconds = static_cast<float>(app_.platform().clock.secondsSinceMidnight()) - t0_;
        app_.formResult().print(fitWindowLine(weighed_.size(), measuredCount_, window_));
        printFitReport(app_.formResult(), summary_);
        markUnweightedPoints();
        app_.formResult().show();
        for (std::size_t m = 0; m < summary_.fitted.size(); ++m)
            form_.CheckFitted(summary_.fitIndex[m])
                .setCaption(formatNumber(summary_.fitted[m], "0.###e-#"));
    }

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

    // The curve store has one potential axis: a simulation on another grid than the measured
    // curve is stored read at the measured potentials, so that the curves stay aligned.
    // Returns the displayed quantity.
    std::string storeBestSimulation() {
        const std::string quantity = app_.control<ComboBox>("formOption", "ComboY").text();
        const bool surfaceCurves = quantity == kShowSurfaceConcentration;
        ExperimentState &state = app_.state();
        const MeasuredAxisMap *map = objective_->measuredAxisMap();
        if (map == nullptr) {
            copySimulation(state, *workspace_.store, app_.store(), surfaceCurves);
            return quantity;
        }
        storeOnMeasuredAxis(state, *workspace_.store, app_.store(), *map,
                            objective_->measuredPotentials(), surfaceCurves);
        describeMeasuredAxis(state, objective_->measuredPotentials());
        return quantity;
    }

    void simulate(const std::vector<double> &x, std::vector<double> &ycalc) {
        problem_.model(x, ycalc);
        ++summary_.simulations;
    }

    Application &app_;
    FitWorkspace &workspace_;
    FormExpr &form_;
    float t0_ = 0; // [s] since midnight, in the clock's single precision
    MarquardtProblem problem_;
    std::unique_ptr<SimulationObjective> objective_;
    FitWindow window_;
    std::vector<std::size_t> weighed_; // the measured points inside the fit window (0-based)
    std::size_t measuredCount_ = 0;
    std::vector<double> wholeCurve_; // the simulation at every measured point
    FitSummary summary_;
    bool polling_ = false;       // the simulations poll the Stop button
    bool stoppedInside_ = false; // the user stopped the fit inside a simulation
    double fraction_ = 0;        // of the fit done, as the progress shows it
};

} // namespace

void PrepareFitCurve(ExperimentState &state, CurveStore &store) {
    if (state.overlapMode)
        return;
    for (int i = 1; i <= std::min<int>(state.pointCount, kMaxPoints); ++i)
        store.curves(i, 1) = store.curves(i, state.currentCurve);
    state.curveCount = 1;
    state.simSlot = 1;
    state.currentCurve = 1;
}

FitSummary AutoFit(Application &app, FitWorkspace &workspace, const std::vector<double> &ymeas) {
    return AutoFitRun(app, workspace, ymeas).run();
}

} // namespace kemvo
