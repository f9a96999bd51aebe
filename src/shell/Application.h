#pragma once
// The running program: the one experiment state and curve store, the platform services and
// every window model. Every command reaches what it needs through it; a test makes a fresh one.

#include "shell/CurveStore.h"
#include "shell/ExperimentState.h"
#include "shell/FitRecord.h"
#include "shell/MainWindowModel.h"
#include "shell/Platform.h"
#include "shell/controls/TextWindow.h"

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace kemvo {

class Application {
public:
    // Creates the shell's own windows and commands; the workbench above the subsystems adds
    // theirs (addForm) and then runs the start-up.
    explicit Application(Platform &platform);
    virtual ~Application();
    Application(const Application &) = delete;
    Application &operator=(const Application &) = delete;

    ExperimentState &state() { return state_; }
    CurveStore &store() { return *store_; }
    // A second curve store that a command computes into and takes only when it has succeeded,
    // so that a failure leaves every curve as it was. It holds whatever it held last: the
    // command copies in what it does not write. Taking it swaps the two stores.
    CurveStore &scratchStore();
    void takeScratchStore() { std::swap(store_, scratch_); }
    Platform &platform() { return platform_; }
    MainWindowModel &mainWindow() { return *mainWindow_; }
    TextWindow &formResult() { return form<ResultWindow>(); }
    TextWindow &formAbout() { return form<AboutWindow>(); }
    // The help viewer; its view shows the user guide installed beside the program.
    Form &formHelp() { return form<HelpWindow>(); }

    // The window of type F, loaded on this first use as referring to it would.
    template <typename F> F &form() {
        for (const auto &candidate : forms_)
            if (auto *found = dynamic_cast<F *>(candidate.get())) {
                found->load();
                return *found;
            }
        throw std::logic_error("window not created");
    }
    // A control of another window by its names, loading that window as referring to it would:
    // control<TextBox>("FormExpr", "Ru"). A missing window or control is a programming error.
    template <typename T>
    T &control(const std::string &formName, const std::string &name, int index = -1) {
        Form *owner = findForm(formName);
        if (owner == nullptr)
            throw std::logic_error("no window " + formName);
        owner->load();
        auto *found = dynamic_cast<T *>(owner->find(name, index));
        if (found == nullptr)
            throw std::logic_error("no control " + formName + "." + name);
        return *found;
    }
    // Every window, the main window first.
    std::vector<Form *> forms() const;
    Form *findForm(const std::string &name) const;

    void addForm(std::unique_ptr<Form> form);
    // The main window's start-up: loads it and sets the shell's defaults.
    void startUp();

    void showMessage(const std::string &text) { platform_.messages.show(text); }

    // RefreshPlot: derives the displayed quantity where one is due, then draws the plot.
    // The simulation installs the derivation, the display the drawing.
    void refreshPlot() const;
    std::function<void()> deriveDisplayedQuantityHook;
    std::function<void()> drawPlotHook;

    // The displayed quantity as last derived after a simulation: a refresh derives again only
    // when the choice of quantity has changed since, so that curves written by other commands
    // stay on the plot.
    struct DerivedQuantity {
        bool simulated = false; // a simulation has derived its curves
        std::string choice;     // the plot options' choice of quantity at that derivation
        // The curves and their count as they were before the surface concentrations took
        // columns 1..speciesCount; they come back when another quantity is chosen.
        std::shared_ptr<const PointTable<6>> shelvedCurves;
        Int16 shelvedCurveCount = 0;
        // The quantity the shelved curves show; empty when the current curve on the shelf is
        // yet to be derived (a run made while the concentrations were shown).
        std::string shelvedChoice;
    };
    DerivedQuantity derivedQuantity;

    // The measured curve of the fits, kept across them (FitRecord.h); none until a fit or "Use
    // Current Curve as Measured" takes one, and none again after an import.
    std::optional<FitMeasurement> measured;
    // The last Auto Fit's result; none before the first.
    std::optional<FitRecord> lastFit;

private:
    class ResultWindow : public TextWindow {
    public:
        ResultWindow() : TextWindow("FormResult", "Result") {}
    };
    class AboutWindow : public TextWindow {
    public:
        AboutWindow() : TextWindow("FormAbout", "About") {}
    };
    class HelpWindow : public Form {
    public:
        HelpWindow() : Form("FormHelp", "Kemvo Help") {}
    };

    Platform &platform_;
    ExperimentState state_;
    std::unique_ptr<CurveStore> store_;
    std::unique_ptr<CurveStore> scratch_; // made on first use
    std::unique_ptr<MainWindowModel> mainWindow_;
    std::vector<std::unique_ptr<Form>> forms_;
};

} // namespace kemvo
