#include "display/FormOption.h"

#include "shell/Application.h"
#include "shell/BoxValue.h"
#include "shell/NumberText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

namespace kemvo {
namespace {

// A limit as the box shows it: six significant digits, so that 4.0000000000000001e-6
// reads 4E-6.
std::string limitText(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6g", value);
    return generalNumber(std::strtod(buffer, nullptr));
}

// Fixed limits start from the range the plot shows, once it has drawn one.
void startFromRange(TextBox &minText, TextBox &maxText, double min, double max) {
    if (min < max && std::isfinite(min) && std::isfinite(max)) {
        minText.setText(limitText(min));
        maxText.setText(limitText(max));
    }
}

} // namespace

FormOption::FormOption(Application &app)
    : Form("formOption", "Option"), CheckGrid(add<CheckBox>("CheckGrid", -1, "Grid", 0)),
      overlap(add<CheckBox>("overlap", -1, "Overlap", 0)), axis(add<Frame>("axis", -1, "Axis")),
      ComboY(add<ComboBox>(
          "ComboY", -1,
          std::vector<std::string>{kCurrent, kResistance, kConductance, kSurfaceConcentration}, "",
          ControlKind::ListBox)), // only a quantity of the list can be derived
      CheckXdir(add<CheckBox>("CheckXdir", -1, "X direction: + -> -", 1)),
      Yauto(add<CheckBox>("Yauto", -1, "Y auto", 1)),
      Xauto(add<CheckBox>("Xauto", -1, "X auto", 1)), Label5(add<Label>("Label5", -1, "Y max")),
      YmaxText(add<TextBox>("YmaxText", -1, "1e-3")), Label4(add<Label>("Label4", -1, "Y min")),
      YminText(add<TextBox>("YminText", -1, "-1e-3")), Label3(add<Label>("Label3", -1, "X max")),
      XmaxText(add<TextBox>("XmaxText", -1, "0.3")), Label2(add<Label>("Label2", -1, "X min")),
      XminText(add<TextBox>("XminText", -1, "-0.3")),
      baseline(add<Frame>("baseline", -1, "Peak baseline")),
      BaselineAuto(add<CheckBox>("BaselineAuto", -1, "Baseline auto", 1)),
      LabelBaseFrom(add<Label>("LabelBaseFrom", -1, "Baseline from E")),
      BaseFromText(add<TextBox>("BaseFromText", -1, "0.3")),
      LabelBaseTo(add<Label>("LabelBaseTo", -1, "to E")),
      BaseToText(add<TextBox>("BaseToText", -1, "0.25")), OK(add<Button>("OK", -1, "OK")),
      app_(app) {
    // Curves 1, 4 and 5 start dotted, curve 2 as a line, curve 3 with squares.
    const int initialStyles[5] = {1, 3, 2, 1, 1};
    for (int i = 0; i < 5; ++i)
        addCurveFrame(i, initialStyles[i]);

    overlap.setToolTip("overlap plot");
    CheckXdir.setToolTip("X axis Direction from positive to negative");
    Yauto.setToolTip("auto scale of Y axis");
    Xauto.setToolTip("auto scale of X axis");
    Label5.setToolTip("maxinum Y value");
    Label4.setToolTip("mininum Y value");
    Label3.setToolTip("maxinum X value");
    Label2.setToolTip("mininum X value");
    for (Control *control : std::initializer_list<Control *>{
             &ComboY, &CheckXdir, &Yauto, &Xauto, &Label5, &YmaxText, &Label4, &YminText, &Label3,
             &XmaxText, &Label2, &XminText})
        control->setContainer(&axis);

    BaselineAuto.setToolTip("Find Peak measures a forward peak from a straight line through "
                            "the flattest stretch of its foot; clear to type the range");
    for (Control *control : std::initializer_list<Control *>{
             &BaselineAuto, &LabelBaseFrom, &BaseFromText, &LabelBaseTo, &BaseToText})
        control->setContainer(&baseline);

    Xauto_Click();
    Yauto_Click();
    BaselineAuto_Click();
    Xauto.onClick = [this] { Xauto_Click(); };
    Yauto.onClick = [this] { Yauto_Click(); };
    BaselineAuto.onClick = [this] { BaselineAuto_Click(); };
    OK.onClick = [this] { OK_Click(); };
}

void FormOption::addCurveFrame(int i, int initialStyle) {
    Frame &curve = addTo(Frame1, "Frame1", i, "Curve " + std::to_string(i + 1));
    Frame &style = addTo(Linestyle, "Linestyle", i, "Line style");
    style.setContainer(&curve);
    OptionButton *options[3] = {&addTo(linestyle1, "linestyle1", i, "..........."),
                                &addTo(linestyle2, "linestyle2", i, "oooooo"),
                                &addTo(linestyle3, "linestyle3", i, "______")};
    for (OptionButton *option : options) {
        option->setContainer(&style);
        styleGroups_[static_cast<std::size_t>(i)].add(*option);
    }
    options[initialStyle - 1]->select();
}

void FormOption::OK_Click() {
    try {
        ReadPlotOptions(app_);
    } catch (const BoxValueError &refusal) {
        app_.showMessage(std::string("Plot Options Error: ") + refusal.what());
        return; // the window stays open on the box to mend
    }
    hide();
    app_.refreshPlot();
}

void FormOption::Xauto_Click() {
    bool shown = !Xauto.checked();
    if (shown)
        startFromRange(XminText, XmaxText, app_.state().xMin, app_.state().xMax);
    for (Control *control :
         std::initializer_list<Control *>{&Label2, &XminText, &Label3, &XmaxText})
        control->setVisible(shown);
}

void FormOption::Yauto_Click() {
    bool shown = !Yauto.checked();
    if (shown)
        startFromRange(YminText, YmaxText, app_.state().yMin, app_.state().yMax);
    for (Control *control :
         std::initializer_list<Control *>{&Label4, &YminText, &Label5, &YmaxText})
        control->setVisible(shown);
}

void FormOption::BaselineAuto_Click() {
    bool shown = !BaselineAuto.checked();
    for (Control *control :
         std::initializer_list<Control *>{&LabelBaseFrom, &BaseFromText, &LabelBaseTo, &BaseToText})
        control->setVisible(shown);
}

namespace {

// The limits of an axis as its boxes hold them, read strictly.
std::pair<double, double> limitsOf(const Label &minLabel, const TextBox &minBox,
                                   const Label &maxLabel, const TextBox &maxBox) {
    return {strictBoxValue(minBox.text(), minLabel.caption(), Allowed::AnyNumber),
            strictBoxValue(maxBox.text(), maxLabel.caption(), Allowed::AnyNumber)};
}

} // namespace

void ReadPlotOptions(Application &app) {
    FormOption &options = app.form<FormOption>();
    ExperimentState &state = app.state();
    std::optional<std::pair<double, double>> x, y;
    if (!options.Xauto.checked())
        x = limitsOf(options.Label2, options.XminText, options.Label3, options.XmaxText);
    if (!options.Yauto.checked())
        y = limitsOf(options.Label4, options.YminText, options.Label5, options.YmaxText);
    state.gridOn = options.CheckGrid.checked();
    state.overlapMode = options.overlap.checked();
    if (x)
        std::tie(state.xMin, state.xMax) = *x;
    if (y)
        std::tie(state.yMin, state.yMax) = *y;
    for (int i = 0; i <= 4; ++i) {
        Int16 style = 3;
        if (options.linestyle1(i).value())
            style = 1;
        else if (options.linestyle2(i).value())
            style = 2;
        state.lineStyle[static_cast<std::size_t>(i + 1)] = style;
    }
}

} // namespace kemvo
