#pragma once
// The window "Global Fit": the list of measured curves fitted together (its own list, since the
// curve store has one potential axis for its five curves), each added from the current curve
// with the programme the parameters window states for it. The parameters ticked in the
// parameters window are fitted, shared by every curve unless their box "per curve" is ticked
// here. Auto Fit fits them all, prints the report on the result window and draws each measured
// curve with its fit on the window's own plot.

#include "display/RecordingCanvas.h"
#include "fitting/GlobalFit.h"
#include "shell/controls/Form.h"

#include <optional>
#include <string>
#include <vector>

namespace kemvo {

class Application;

class FormGlobalFit : public Form {
public:
    explicit FormGlobalFit(Application &app);

    // The current curve, its potentials and the programme and fit window of the parameters
    // window, as a curve of the list (at most kMaxGlobalCurves).
    void Add_Click();
    // The curve chosen in the list leaves it.
    void Remove_Click();
    // Fits every curve of the list together; a refusal or an error shows its message.
    void AutoFit_Click();

    const std::vector<GlobalCurve> &curves() const { return curves_; }
    const std::optional<GlobalFitResult> &lastResult() const { return result_; }
    // Each measured curve with its fit, as the last Auto Fit left them.
    const RecordingCanvas &picture() const { return picture_; }
    // The setup of a fit of the list as the windows state it now (for the fit and for tests).
    GlobalFitSetup setup();

    Label &LabelCurves;
    ComboBox &ListCurves; // a list box: "1  cv.txt: all  812 points  0.1 V/s  all points"
    Button &Add;
    Button &Remove;
    ControlArray<CheckBox> CheckPerCurve; // per fit candidate k: fitted per curve
    CheckBox &CheckEqualWeights;
    TextBox &TextThreads; // curves simulated side by side; empty: every core
    Button &AutoFit;

    // Shows the "per curve" boxes of the candidates the mechanism has, as the parameters window
    // shows their tick boxes.
    void showCandidatesOfTheMechanism();

    // After each fit and each change of the list: a view redraws its plot.
    Signal<> changed;

private:
    void listCurves();
    void draw();

    Application &app_;
    std::vector<GlobalCurve> curves_;
    std::optional<GlobalFitResult> result_;
    MarquardtMemory memory_;
    RecordingCanvas picture_;
};

// The list entry of a curve: its number, label, points, scan rate and fit window.
std::string globalCurveEntry(std::size_t number, const GlobalCurve &curve);

// Wires "Global Fit…" (mnuGlobalFit) of the Run menu: it shows the window.
void installGlobalFitCommands(Application &app);

} // namespace kemvo
