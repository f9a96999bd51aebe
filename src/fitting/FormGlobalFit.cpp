#include "fitting/FormGlobalFit.h"

#include "fitting/FitCandidates.h"
#include "fitting/FitDriver.h"
#include "fitting/FitProblem.h"
#include "fitting/GlobalFitReport.h"
#include "setup/Catalogue.h"
#include "setup/FormExpr.h"
#include "setup/FormMech.h"
#include "setup/ParameterIntake.h"
#include "shell/Application.h"
#include "shell/CommandGuard.h"
#include "shell/NumberText.h"

#include <cstdio>

namespace kemvo {
namespace {

bool perCurveByDefault(int k) {
    return (k >= fitConcentration(1) && k <= fitConcentration(4)) || isCellParameter(k);
}

std::string shortNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", value);
    return text;
}

std::string windowText(const FitWindow &w) {
    if (!w.limited())
        return "all points";
    std::string text;
    if (w.from || w.to)
        text += (w.from ? shortNumber(*w.from) : "any") + " to " +
                (w.to ? shortNumber(*w.to) : "any") + " V";
    if (w.firstCycle || w.lastCycle)
        text += (text.empty() ? "" : ", ") + std::string("cycles ") +
                (w.firstCycle ? std::to_string(*w.firstCycle) : "1") + " to " +
                (w.lastCycle ? std::to_string(*w.lastCycle) : "last");
    return text;
}

} // namespace

std::string globalCurveEntry(std::size_t number, const GlobalCurve &curve) {
    return std::to_string(number) + "  " + curve.label + "  " +
           std::to_string(curve.potential.size()) + " points  " +
           shortNumber(curve.programme.scanRate) + " V/s  " + windowText(curve.window);
}

FormGlobalFit::FormGlobalFit(Application &app)
    : Form("FormGlobalFit", "Global Fit"),
      LabelCurves(add<Label>("LabelCurves", -1, "No curve yet: import one, then Add.")),
      ListCurves(
          add<ComboBox>("ListCurves", -1, std::vector<std::string>{}, "", ControlKind::ListBox)),
      Add(add<Button>("Add", -1, "Add")), Remove(add<Button>("Remove", -1, "Remove")),
      CheckEqualWeights(add<CheckBox>("CheckEqualWeights", -1, "Equal weights", 0)),
      TextThreads(add<TextBox>("TextThreads", -1, "")),
      AutoFit(add<Button>("AutoFit", -1, "Auto Fit")), app_(app) {
    for (int k = 1; k <= kFitEntryCount; ++k)
        addTo(CheckPerCurve, "CheckPerCurve", k, fitCandidateName(k) + " per curve",
              perCurveByDefault(k) ? 1 : 0);
    Add.onClick = [this] { Add_Click(); };
    Remove.onClick = [this] { Remove_Click(); };
    AutoFit.onClick = [this] { AutoFit_Click(); };
}

void FormGlobalFit::listCurves() {
    std::vector<std::string> entries;
    for (std::size_t c = 0; c < curves_.size(); ++c)
        entries.push_back(globalCurveEntry(c + 1, curves_[c]));
    ListCurves.setItems(std::move(entries));
    if (!curves_.empty())
        ListCurves.setListIndex(static_cast<int>(curves_.size()) - 1);
    LabelCurves.setCaption(std::to_string(curves_.size()) + " of at most " +
                           std::to_string(kMaxGlobalCurves) + " curves");
    changed.send();
}

void FormGlobalFit::Add_Click() {
    if (curves_.size() >= static_cast<std::size_t>(kMaxGlobalCurves)) {
        app_.showMessage("Global Fit Error: the list holds " + std::to_string(kMaxGlobalCurves) +
                         " curves, the most fitted together; remove one first.");
        return;
    }
    const ExperimentState &state = app_.state();
    if (state.pointCount < 2 || state.currentCurve < 1) {
        app_.showMessage("Global Fit Error: there is no curve to add; import one first.");
        return;
    }
    GlobalCurve curve;
    const FitMeasurement measured = currentCurve(app_);
    curve.potential = measured.potential;
    curve.value = measured.value;
    const std::string &label = state.curveLabel[static_cast<std::size_t>(state.currentCurve)];
    curve.label = label.empty() ? "curve " + std::to_string(curves_.size() + 1) : label;
    // The programme as the parameters window states it for this curve (an import primes it).
    if (!takeParameters(app_))
        return;
    curve.programme = app_.state();
    runTrapped(app_, "Global Fit Error: ", "", [&] {
        curve.window = readFitWindow(app_.form<FormExpr>());
        curves_.push_back(std::move(curve));
        listCurves();
    });
}

void FormGlobalFit::Remove_Click() {
    const int chosen = ListCurves.listIndex();
    if (chosen < 0 || static_cast<std::size_t>(chosen) >= curves_.size())
        return;
    curves_.erase(curves_.begin() + chosen);
    listCurves();
}

GlobalFitSetup FormGlobalFit::setup() {
    FormExpr &form = app_.form<FormExpr>();
    GlobalFitSetup setup;
    std::vector<int> fitIndex = selectedCandidates(form);
    for (int k : fitIndex)
        form.proposeUntypedFitRange(k);
    MarquardtProblem bounds;
    readBounds(form, fitIndex, bounds);
    setup.lower = bounds.lower;
    setup.upper = bounds.upper;
    setup.base = objectiveSetup(app_, fitIndex, {});
    for (std::size_t m = 0; m < fitIndex.size(); ++m) {
        const int k = fitIndex[m];
        const bool bulk = k >= fitConcentration(1) && k <= fitConcentration(4);
        const double start = bulk ? setup.base.concentrations.bulk[static_cast<std::size_t>(k)]
                                  : fitCandidateStart(setup.base.state, setup.base.resistance, k);
        if (!(start >= setup.lower[m] && start <= setup.upper[m]))
            throw FitRefusal(startRefusal(k, start, bounds, m));
        setup.start.push_back(start);
        setup.perCurve.push_back(CheckPerCurve(k).checked());
    }
    setup.curves = curves_;
    setup.equalWeights = CheckEqualWeights.checked();
    const std::string &threads = TextThreads.text();
    if (threads.find_first_not_of(" \t") != std::string::npos) {
        const double value = isNumber(threads) ? strictValue(threads) : -1;
        if (!(value >= 1 && value <= 256))
            throw FitRefusal("Global Fit Error: the threads (" + threads +
                             ") must be a whole number from 1 to 256, or empty for every core.");
        setup.threads = static_cast<int>(value);
    }
    return setup;
}

void FormGlobalFit::AutoFit_Click() {
    if (!takeParameters(app_))
        return;
    TextWindow &result = app_.formResult();
    result.cls();
    runTrapped(app_, "Global Fit Error: ", "! Please try again by other initial values.", [&] {
        try {
            const GlobalFitSetup fit = setup();
            Progress &progress = app_.platform().progress;
            progress.begin("Global Fit");
            struct Ended {
                Progress &progress;
                ~Ended() { progress.end(); }
            } ended{progress};
            std::atomic<bool> stop{false};
            result_ = runGlobalFit(
                fit, memory_,
                [&](int iteration, double phi) {
                    printIterationLine(result, phi);
                    if (progress.advance(iteration / double(kIterationLimit + 1)))
                        stop.store(true);
                    return !stop.load();
                },
                &stop);
            if (stop.load())
                result_->flag = kStoppedByUser;
            printGlobalFitReport(result, *result_);
            draw();
            result.show();
        } catch (const FitRefusal &refusal) {
            app_.showMessage(refusal.what());
        }
    });
}

void FormGlobalFit::draw() {
    if (result_)
        drawGlobalFit(picture_, *result_);
    changed.send();
}

void FormGlobalFit::showCandidatesOfTheMechanism() {
    int chosen = 0;
    for (const auto &[code, option] : app_.form<FormMech>().mech.elements())
        if (option->value())
            chosen = code;
    const MechanismEntry *mechanism = findMechanism(chosen);
    if (mechanism == nullptr)
        return;
    auto within = [](int k, int first, int count) { return k >= first && k < first + count; };
    for (const auto &[k, box] : CheckPerCurve.elements()) {
        const bool exists = within(k, fitConcentration(1), mechanism->speciesCount) ||
                            within(k, fitKs(1), mechanism->chargeCount()) ||
                            within(k, fitAlpha(1), mechanism->chargeCount()) ||
                            within(k, fitE0(1), mechanism->chargeCount()) ||
                            within(k, fitKf(1), mechanism->chemCount()) ||
                            within(k, fitKb(1), mechanism->chemCount()) || isCellParameter(k);
        box->setVisible(exists);
    }
}

void installGlobalFitCommands(Application &app) {
    app.mainWindow().menu("mnuGlobalFit").onClick = [&app] {
        FormGlobalFit &window = app.form<FormGlobalFit>();
        window.showCandidatesOfTheMechanism();
        window.show();
    };
}

} // namespace kemvo
