#pragma once
// The plot options window formOption: grid, the drawing style of each curve, overlap mode,
// the quantity on the y axis, the direction of the x axis and automatic or fixed limits, and
// the baseline Find Peak measures forward peaks from: automatic, or typed as a potential range.
// Its controls are the live store of these choices; ReadPlotOptions takes them into the
// state at every drawing.

#include "shell/controls/Form.h"

#include <array>

namespace kemvo {

class Application;

class FormOption : public Form {
public:
    explicit FormOption(Application &app);

    // The entries of ComboY, in list order.
    static constexpr const char *kCurrent = "current I";
    static constexpr const char *kResistance = "resistance R";
    static constexpr const char *kConductance = "conductance Cond";
    static constexpr const char *kSurfaceConcentration = "surface concentration C";

    CheckBox &CheckGrid;
    ControlArray<Frame> Frame1;            // "Curve 1" ... "Curve 5"
    ControlArray<Frame> Linestyle;         // the style group inside each curve frame
    ControlArray<OptionButton> linestyle1; // dots
    ControlArray<OptionButton> linestyle2; // squares
    ControlArray<OptionButton> linestyle3; // line
    CheckBox &overlap;
    Frame &axis;
    ComboBox &ComboY;
    CheckBox &CheckXdir;
    CheckBox &Yauto;
    CheckBox &Xauto;
    Label &Label5;
    TextBox &YmaxText;
    Label &Label4;
    TextBox &YminText;
    Label &Label3;
    TextBox &XmaxText;
    Label &Label2;
    TextBox &XminText;
    Frame &baseline;
    CheckBox &BaselineAuto;
    Label &LabelBaseFrom;
    TextBox &BaseFromText;
    Label &LabelBaseTo;
    TextBox &BaseToText;
    Button &OK;

    void OK_Click();
    // Show the limit boxes of the axis while its auto box is cleared; boxes just shown start
    // from the limits of the last drawing.
    void Xauto_Click();
    void Yauto_Click();
    // Show the baseline range boxes while the automatic baseline is cleared.
    void BaselineAuto_Click();

private:
    void addCurveFrame(int i, int initialStyle);

    Application &app_;
    std::array<OptionGroup, 5> styleGroups_;
};

// Takes the window's choices into the state: gridOn, overlapMode, the fixed limits of an axis
// whose auto box is cleared, and lineStyle(1..5) (1 dots, 2 squares, 3 line). The limits are
// read strictly: a limit box in use that holds no number raises BoxValueError naming it, and
// the state is left as it was (OK shows the refusal and the window stays open; the plot stops
// drawing as on any run-time error).
void ReadPlotOptions(Application &app);

} // namespace kemvo
