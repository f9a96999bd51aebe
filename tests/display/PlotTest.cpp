// The plot drawn on the recording canvas (900 x 600 px): ranges, frame and visible area,
// ticks and labels, captions with their prefixes, curves, legend and grid, the failures that
// end a drawing, Export Plot. Expected values are worked out by hand from the drawing rules;
// coordinates reach the canvas in single precision, hence EXPECT_FLOAT_EQ on them.

#include "analysis/TransformCommands.h"
#include "app/Workbench.h"
#include "display/AxisCaption.h"
#include "display/AxisTicks.h"
#include "display/CurveStyle.h"
#include "display/DrawPlot.h"
#include "display/FormExportPlot.h"
#include "display/FormOption.h"
#include "display/FormPlot.h"
#include "display/RecordingCanvas.h"
#include "shell/Application.h"
#include "shell/CurveScaling.h"
#include "shell/CurveSlots.h"
#include "shell/HeadlessPlatform.h"
#include "shell/NumberText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace kemvo::test {
namespace {

using Kind = Stroke::Kind;

class PlotTest : public ::testing::Test {
protected:
    HeadlessPlatform platform;
    Workbench app{platform.platform()};
    ExperimentState &state = app.state();
    FormOption &options = app.form<FormOption>();

    // Curve k at points 1..n against the potentials xs; the point range and count follow.
    void setCurve(int k, const std::vector<double> &xs, const std::vector<double> &ys) {
        for (std::size_t i = 0; i < xs.size(); ++i) {
            app.store().potential(static_cast<int>(i) + 1) = xs[i];
            app.store().curves(static_cast<int>(i) + 1, k) = ys[i];
        }
        state.firstPoint = 1;
        state.lastPoint = static_cast<int>(xs.size());
        state.pointCount = static_cast<int>(xs.size());
        state.curveCount = std::max(state.curveCount, static_cast<Int16>(k));
        state.currentCurve = 1;
    }

    // Clears the X auto box (and the Y one when y limits are given) and types the limits.
    void fixLimits(const char *xMin, const char *xMax, const char *yMin = nullptr,
                   const char *yMax = nullptr) {
        options.Xauto.setValue(0);
        options.XminText.setText(xMin);
        options.XmaxText.setText(xMax);
        if (yMin == nullptr)
            return;
        options.Yauto.setValue(0);
        options.YminText.setText(yMin);
        options.YmaxText.setText(yMax);
    }

    const std::vector<Stroke> &drawn() {
        return dynamic_cast<RecordingCanvas &>(app.form<FormPlot>().picture()).strokes();
    }

    // Strokes of `kind`; given a colour, only those drawn in it and dashed or solid as asked:
    // the grid is dashed dark red lines, the zero line a dashed foreground one.
    std::vector<Stroke> drawnOf(Kind kind, std::optional<int> color = {}, bool dashed = false) {
        std::vector<Stroke> found;
        int colorNow = kForegroundColor;
        bool dashedNow = false;
        for (const Stroke &s : drawn()) {
            if (s.kind == Kind::Color)
                colorNow = s.value;
            else if (s.kind == Kind::Dashed)
                dashedNow = s.value != 0;
            if (s.kind == kind && (!color || (colorNow == *color && dashedNow == dashed)))
                found.push_back(s);
        }
        return found;
    }
    std::vector<Stroke> gridLines() { return drawnOf(Kind::Line, kGridColor, false); }

    // The visible area of the last drawing and the pixel of a point in it (900 x 600 px).
    Stroke scale() {
        std::vector<Stroke> scales = drawnOf(Kind::Scale);
        return scales.empty() ? Stroke{Kind::Scale, 0, 1, 1, 0, 0, "", false} : scales.back();
    }
    double px(double x) {
        Stroke s = scale();
        return (x - s.x1) / (s.x2 - s.x1) * 900;
    }
    double py(double y) {
        Stroke s = scale();
        return (y - s.y1) / (s.y2 - s.y1) * 600;
    }
    // The frame: the one rectangle of the plot, in axis units.
    Stroke frame() {
        std::vector<Stroke> frames = drawnOf(Kind::Rectangle);
        EXPECT_EQ(frames.size(), 1u);
        return frames.empty() ? Stroke{} : frames.front();
    }

    // The tick labels under the frame (x) or left of it (y), in the order drawn.
    std::vector<Stroke> tickLabels(bool xAxis) {
        Stroke f = frame();
        std::vector<Stroke> found;
        for (const Stroke &s : drawnOf(Kind::Text)) {
            if (!isNumber(s.text))
                continue;
            bool below = py(s.y1) >= std::max(py(f.y1), py(f.y2)) - 1;
            if (below == xAxis)
                found.push_back(s);
        }
        return found;
    }

    TextExtent extent(const std::string &text) {
        return app.form<FormPlot>().picture().textExtent(text);
    }

    int timesDrawn(const std::string &text) {
        return static_cast<int>(std::count_if(drawn().begin(), drawn().end(), [&](auto &s) {
            return s.kind == Kind::Text && s.text == text;
        }));
    }

    // The text stroke showing `text`; fails the test when there is none.
    Stroke textStroke(const std::string &text) {
        for (const Stroke &s : drawn())
            if (s.kind == Kind::Text && s.text == text)
                return s;
        ADD_FAILURE() << "no text \"" << text << "\" drawn";
        return Stroke{Kind::Text, 0, 0, 0, 0, 0, text};
    }
    // The y caption: the text at the top-left corner.
    std::string yCaption() {
        for (const Stroke &s : drawnOf(Kind::Text))
            if (px(s.x1) < 20 && py(s.y1) < 20)
                return s.text;
        return "";
    }
    std::string xCaption() {
        for (const Stroke &s : drawnOf(Kind::Text))
            if (s.text.starts_with("E") || s.text.starts_with("-E"))
                return s.text;
        return "";
    }

    void expectCorners(const Stroke &s, double x1, double y1, double x2, double y2) {
        EXPECT_FLOAT_EQ(s.x1, x1);
        EXPECT_FLOAT_EQ(s.y1, y1);
        EXPECT_FLOAT_EQ(s.x2, x2);
        EXPECT_FLOAT_EQ(s.y2, y2);
    }
};

TEST_F(PlotTest, YAutoRoundsOutwardToTheDecadeAndFramesTheData) {
    // decade a: 10^n <= M < 10^(n+1) for the largest magnitude M, n <= 6 (else a = 1e6);
    // yMax = a (trunc(high / a) + 1), yMin = a (trunc(low / a) - 1), yMax <= 0 becomes a.
    // The frame spans yMin..yMax and the x data widened by 2 % of its span on either side,
    // here 0.6: 0.412 at the left (x decreases rightwards) to -0.212. Products of a power of
    // ten and a small whole number: a relative 1e-12 allows for the rounding of the power.
    struct Case {
        double low, high, yMin, yMax;
        bool zeroLine;
    };
    for (const Case &c : {
             Case{2.2e-6, 3.7e-6, 1e-6, 4e-6, false},
             Case{-3.7e-6, -2.2e-6, -4e-6, 1e-6, true}, // yMax -1e-6 becomes a
             Case{-3.7e-6, 3.7e-6, -4e-6, 4e-6, true},
             Case{-7.0, 42.0, -10.0, 50.0, true}, // a = 10
             Case{-3e6, 2e7, -3e6, 2e7, true},    // M beyond 1e7: unrounded
             // M = 3.5e-18, below 1e-15: a = 1e-18 (not 1e6, which would draw the curve flat).
             Case{1.5e-18, 3.5e-18, 0, 4e-18, false},
         }) {
        SCOPED_TRACE(testing::Message() << c.low << ".." << c.high);
        // Neither extreme potential sits where the search starts (first and last point).
        setCurve(1, {0.1, 0.4, -0.2, 0.0}, {c.low, c.high, c.low, c.low});
        DrawPlot(app);
        EXPECT_NEAR(state.yMin, c.yMin, 1e-12 * std::fabs(c.yMin));
        EXPECT_NEAR(state.yMax, c.yMax, 1e-12 * std::fabs(c.yMax));
        expectCorners(frame(), 0.412, state.yMin, -0.212, state.yMax);
        EXPECT_EQ(drawnOf(Kind::Line, kForegroundColor, true).size(), c.zeroLine ? 1u : 0u);
    }
}

TEST_F(PlotTest, EmptyRangeReportsNoDataAndLeavesTheWindowShownAndEmpty) {
    struct Case {
        std::vector<double> xs, ys;
        bool fixedX;
    };
    for (const Case &c : {Case{{-0.1, 0.0, 0.1}, {0, 0, 0}, false}, // all zeros
                          Case{{0.1}, {2e-6}, false},               // a single point
                          Case{{-0.1, 0.1}, {1e-6, 2e-6}, true}}) { // XminText = XmaxText
        SCOPED_TRACE(c.xs.size());
        platform.messages.shown.clear();
        setCurve(1, c.xs, c.ys);
        if (c.fixedX)
            fixLimits("0.25", " 0.25 ");
        DrawPlot(app);
        EXPECT_EQ(platform.messages.shown, std::vector<std::string>{"Error: No data!"});
        EXPECT_TRUE(app.form<FormPlot>().visible());
        EXPECT_EQ(drawn().front().kind, Kind::Clear);
        EXPECT_TRUE(drawnOf(Kind::Scale).empty() && drawnOf(Kind::Text).empty());
    }
}

// Whether `step` is 1, 2 or 5 times a power of ten.
bool isNiceStep(double step) {
    double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    return std::fabs(mantissa - 1) < 1e-6 || std::fabs(mantissa - 2) < 1e-6 ||
           std::fabs(mantissa - 5) < 1e-6;
}

// A cyclic voltammogram on any potential window, either direction of the x axis, is drawn
// whole: every marker inside the frame, the frame and every text on the surface; the labels
// are multiples of a 1-2-5 step, four to eight on each axis, and do not overlap; "0" appears
// on the x axis only where 0 V lies in the window; the zero line runs across the frame.
TEST_F(PlotTest, WindowsOfAnyRangeAreDrawnWhole) {
    struct Case {
        double from, to;
        bool zeroInside;
    };
    for (const Case &c : {Case{0.3, 0.7, false}, Case{1.5, 3.2, false}, Case{-2.0, -0.8, false},
                          Case{-0.3, 0.3, true}})
        for (int reversed : {0, 1}) {
            SCOPED_TRACE(testing::Message() << c.from << ".." << c.to << " reversed " << reversed);
            options.CheckXdir.setValue(reversed);
            std::vector<double> xs, ys;
            for (int i = 0; i < 200; ++i) {
                double s = i < 100 ? i / 99.0 : (199 - i) / 99.0;
                xs.push_back(c.from + s * (c.to - c.from));
                ys.push_back(5e-5 * std::sin(3.1 * s) * (i < 100 ? 1 : -0.8));
            }
            setCurve(1, xs, ys);
            DrawPlot(app);
            Stroke f = frame();
            const double left = std::min(px(f.x1), px(f.x2)), right = std::max(px(f.x1), px(f.x2));
            const double top = std::min(py(f.y1), py(f.y2)), bottom = std::max(py(f.y1), py(f.y2));
            EXPECT_TRUE(left > 0 && right < 900 && top > 0 && bottom < 600);
            EXPECT_EQ(reversed == 1, f.x1 > f.x2); // the left edge holds the larger potential
            std::vector<Stroke> markers = drawnOf(Kind::Marker);
            EXPECT_EQ(markers.size(), 200u);
            for (const Stroke &m : markers)
                EXPECT_TRUE(px(m.x1) >= left - 0.01 && px(m.x1) <= right + 0.01 &&
                            py(m.y1) >= top - 0.01 && py(m.y1) <= bottom + 0.01);
            for (const Stroke &t : drawnOf(Kind::Text)) {
                TextExtent size = extent(t.text);
                EXPECT_TRUE(px(t.x1) >= -0.01 && py(t.y1) >= -0.01 &&
                            px(t.x1) + size.width <= 900.01 && py(t.y1) + size.height <= 600.01)
                    << t.text;
            }
            for (bool xAxis : {true, false}) {
                std::vector<Stroke> labels = tickLabels(xAxis);
                ASSERT_GE(labels.size(), 4u);
                EXPECT_LE(labels.size(), 8u);
                std::vector<double> values;
                for (const Stroke &l : labels)
                    values.push_back(strictValue(l.text));
                const double step = std::fabs(values[1] - values[0]);
                EXPECT_TRUE(isNiceStep(step)) << step;
                for (double v : values)
                    EXPECT_NEAR(v / step, std::round(v / step), 1e-6) << v;
                // Neighbours on the surface keep apart: side by side on the x axis, one above
                // the other on the y axis.
                std::sort(labels.begin(), labels.end(), [&](const Stroke &a, const Stroke &b) {
                    return xAxis ? px(a.x1) < px(b.x1) : py(a.y1) < py(b.y1);
                });
                for (std::size_t i = 1; i < labels.size(); ++i) {
                    const Stroke &a = labels[i - 1], &b = labels[i];
                    if (xAxis) {
                        EXPECT_LT(px(a.x1) + extent(a.text).width, px(b.x1));
                    } else {
                        EXPECT_LT(py(a.y1) + extent(a.text).height, py(b.y1));
                    }
                }
                if (xAxis) {
                    EXPECT_EQ(std::count(values.begin(), values.end(), 0.0), c.zeroInside ? 1 : 0);
                }
            }
            std::vector<Stroke> zero = drawnOf(Kind::Line, kForegroundColor, true);
            ASSERT_EQ(zero.size(), 1u);
            expectCorners(zero[0], f.x1, 0, f.x2, 0);
        }
}

// The unit of each axis carries the metric prefix that shows its values with one to three
// digits before the point (the frame's limit after the rounding to the decade decides).
TEST_F(PlotTest, UnitPrefixFollowsTheData) {
    struct Case {
        double peak;
        const char *quantity, *caption;
    };
    for (const Case &c :
         {Case{5e-5, "current I", "I /µA"},   // frame up to 6e-5
          Case{5e-9, "current I", "I /nA"},   // 6e-9
          Case{2.5e-3, "current I", "I /mA"}, // 3e-3
          Case{3, "current I", "I /A"},       // 4
          Case{2e5, "resistance R", "R /kOhm"}, Case{4e-3, "conductance Cond", "Cond /mS"},
          Case{4e-4, "surface concentration C", "C /µM"}}) {
        SCOPED_TRACE(c.caption);
        options.ComboY.setText(c.quantity);
        setCurve(1, {-0.2, 0.0, 0.2}, {0, c.peak, 0.5 * c.peak});
        DrawPlot(app);
        EXPECT_EQ(yCaption(), c.caption);
        EXPECT_EQ(xCaption(), "E /V");
    }
    // +-4 mV: a step of 2 mV would need three decimals in V.
    options.ComboY.setText("current I");
    setCurve(1, {-0.004, 0.0, 0.004}, {0, 1e-6, 2e-6});
    DrawPlot(app);
    EXPECT_EQ(xCaption(), "E /mV");
    std::vector<std::string> labels;
    for (const Stroke &s : tickLabels(true))
        labels.push_back(s.text);
    EXPECT_EQ(labels, (std::vector<std::string>{"\u22124", "\u22122", "0", "2", "4"}));
}

// The 1-2-5 steps and their count are checked on the drawn axes above; here the labels and
// prefixes at their edges: a multiple of the step that missed zero, the largest magnitudes.
TEST(AxisTicks, LabelsAreRoundedAndPrefixesCoverEveryMagnitude) {
    const UnitPrefix micro{"µ", 1e-6}, kilo{"k", 1e3}, none{};
    EXPECT_EQ(tickLabel(0.35, 0.05, none), "0.35");
    EXPECT_EQ(tickLabel(-2e-5, 1e-5, micro), "\u221220");
    EXPECT_EQ(tickLabel(-1e-17, 0.1, none), "0"); // a multiple of 0.1 that missed zero
    EXPECT_EQ(tickLabel(1.5, 0.5, none), "1.5");
    EXPECT_EQ(tickLabel(2500, 500, kilo), "2.5");
    for (auto [magnitude, symbol] : {std::pair{6e-5, "µ"},
                                     {999.0, ""},
                                     {1000.0, "k"},
                                     {4e-13, "f"},
                                     {1e-12, "p"},
                                     {0.0, ""},
                                     {5e12, "G"},
                                     {1e300, "G"}})
        EXPECT_EQ(engineeringPrefix(magnitude).symbol, symbol) << magnitude;
}

// The axis limits are read whole, as the parameters window's boxes are: OK refuses a limit that
// is no number (" 0.25 V", "1,5e-6" and "abc" once became 0.25, 1 and 0 without a word), names
// the box and stays open, and the limits in force stay as they were.
TEST_F(PlotTest, OkRefusesALimitThatIsNoNumberNamingItsBox) {
    setCurve(1, {-0.2, 0.0, 0.2}, {1e-6, 3e-6, 2e-6});
    const std::pair<const char *, std::string> cases[] = {
        {"0.25 V", "Plot Options Error: X max: \"0.25 V\" is not a number; it must be a number"},
        {"1,5e-6", "Plot Options Error: X max: \"1,5e-6\" has a decimal comma; write it with a "
                   "decimal point: 1.5e-6"},
    };
    for (const auto &[typed, message] : cases) {
        options.show();
        fixLimits("-0.3", typed);
        state.xMax = 0.45;
        platform.messages.shown.clear();
        options.OK.click();
        EXPECT_EQ(platform.messages.shown, std::vector<std::string>{message});
        EXPECT_TRUE(options.visible());
        EXPECT_EQ(state.xMax, 0.45);
    }
    options.XmaxText.setText("0.3");
    options.OK.click();
    EXPECT_FALSE(options.visible());
    EXPECT_EQ(state.xMax, 0.3);
}

TEST_F(PlotTest, FixedLimitsFrameTheAxisAndCutTheCurves) {
    fixLimits("-0.3", "0.45", "-2e-6", "3.7e-6");
    options.linestyle3(0).select();
    // From inside to far above, back inside, then below the frame and out at the left.
    setCurve(1, {-0.2, -0.1, 0.0, 0.1, 0.2}, {0.0, 1.11e-5, 1e-6, -1e300, 0.0});
    DrawPlot(app);
    expectCorners(frame(), 0.45, -2e-6, -0.3, 3.7e-6); // the typed limits; x reversed
    EXPECT_EQ(drawnOf(Kind::Line, kForegroundColor, true).size(), 1u); // zero line
    // Every painted point and segment end lies in the frame (1e-6 of the range: single
    // precision). The first segment leaves it at the top a third of the way, x = -0.1667.
    for (Kind kind : {Kind::Point, Kind::LineTo})
        for (const Stroke &s : drawnOf(kind)) {
            EXPECT_TRUE(s.x1 >= -0.3 - 1e-7 && s.x1 <= 0.45 + 1e-7) << s.x1;
            EXPECT_TRUE(s.y1 >= -2e-6 - 1e-12 && s.y1 <= 3.7e-6 + 1e-12) << s.y1;
        }
    std::vector<Stroke> segments = drawnOf(Kind::LineTo);
    ASSERT_FALSE(segments.empty());
    EXPECT_FLOAT_EQ(segments[0].x1, static_cast<float>(-0.2 + 0.1 / 3));
    EXPECT_FLOAT_EQ(segments[0].y1, 3.7e-6);
    EXPECT_TRUE(platform.messages.shown.empty()); // 1e300 lies outside: never painted

    options.ComboY.setText("resistance R"); // the y caption follows ComboY
    DrawPlot(app);
    EXPECT_EQ(yCaption(), "R /µOhm");
}

// Strokes of `kind` with the colour and dash in force when each was drawn.
struct Styled {
    Stroke stroke;
    int color;
    int dash;
};
std::vector<Styled> styled(const std::vector<Stroke> &strokes, Kind kind) {
    std::vector<Styled> found;
    int color = kForegroundColor, dash = 0;
    for (const Stroke &s : strokes) {
        if (s.kind == Kind::Color)
            color = s.value;
        else if (s.kind == Kind::Dashed)
            dash = s.value;
        else if (s.kind == kind)
            found.push_back({s, color, dash});
    }
    return found;
}

TEST_F(PlotTest, EachCurveHasItsColourMarkerAndPatternAndItsNameInTheLegend) {
    const std::vector<double> xs{-0.2, 0.0, 0.2, 0.4};
    setCurve(1, xs, {1e-6, 2e-6, 3e-6, 1e-6});
    DrawPlot(app);
    EXPECT_EQ(timesDrawn("curve 1"), 0); // a single curve of no name needs no legend
    state.curveLabel[1] = "cycle 2";
    DrawPlot(app);
    EXPECT_EQ(timesDrawn("cycle 2"), 1);

    // Initial styles: curves 1, 4, 5 dotted, curve 2 a line, curve 3 squares.
    for (int k = 2; k <= 5; ++k)
        setCurve(k, xs, {1e-6 * k, 2e-6 * k, 3e-6 * k, 1e-6 * k});
    state.curveLabel = {"", "measured", "fit", "component 1 (A+e=B)", "", ""};
    DrawPlot(app);
    for (const char *name : {"measured", "fit", "component 1 (A+e=B)", "curve 4", "curve 5"})
        EXPECT_EQ(timesDrawn(name), 1) << name;
    // Four data markers and two in the legend's sample of each marked curve, all in its
    // colour and shape, filled for dots and open for squares.
    std::vector<Styled> markers = styled(drawn(), Kind::Marker);
    for (int k : {1, 3, 4, 5}) {
        auto own = std::count_if(markers.begin(), markers.end(),
                                 [k](const Styled &m) { return m.color == curveColor(k); });
        EXPECT_EQ(own, 6) << k;
    }
    for (const Styled &m : markers) {
        const int k = m.color - kFirstCurveColor + 1;
        EXPECT_EQ(static_cast<Marker>(m.stroke.value), curveMarker(k));
        EXPECT_EQ(m.stroke.filled, k != 3);
    }
    std::set<int> colours;
    for (const Styled &segment : styled(drawn(), Kind::LineTo)) {
        EXPECT_EQ(segment.color, curveColor(2));
        EXPECT_EQ(segment.dash, static_cast<int>(Dash::Solid));
    }
    for (int k = 1; k <= 5; ++k)
        colours.insert(curveColor(k));
    EXPECT_EQ(colours.size(), 5u);

    // Curves 1 and 3 as lines too: 3 dashed; 1 solid like the fit, so it keeps markers.
    options.linestyle3(0).select();
    options.linestyle3(2).select();
    DrawPlot(app);
    std::vector<Styled> segments = styled(drawn(), Kind::LineTo);
    EXPECT_TRUE(std::any_of(segments.begin(), segments.end(), [](const Styled &s) {
        return s.color == curveColor(3) && s.dash == static_cast<int>(Dash::Dashed);
    }));
    markers = styled(drawn(), Kind::Marker);
    EXPECT_TRUE(std::any_of(markers.begin(), markers.end(),
                            [](const Styled &m) { return m.color == curveColor(1); }));
}

// Two rising curves fill the diagonal from the bottom left to the top right: the legend
// leaves the top right (first choice) for the top left, where no point lies.
TEST_F(PlotTest, TheLegendGoesWhereItCoversTheFewestPoints) {
    options.CheckXdir.setValue(0);
    fixLimits("0", "1", "0", "1e-6");
    std::vector<double> xs, ys;
    for (int i = 0; i <= 50; ++i) {
        xs.push_back(i / 50.0);
        ys.push_back(1e-6 * i / 50.0);
    }
    setCurve(1, xs, ys);
    setCurve(2, xs, ys);
    DrawPlot(app);
    Stroke name = textStroke("curve 1");
    EXPECT_LT(px(name.x1), 450);
    EXPECT_LT(py(name.y1), 300);

    std::reverse(ys.begin(), ys.end()); // falling: the top right is free
    setCurve(1, xs, ys);
    setCurve(2, xs, ys);
    DrawPlot(app);
    name = textStroke("curve 1");
    EXPECT_GT(px(name.x1), 450);
    EXPECT_LT(py(name.y1), 300);
}

// The grid's lines stand at the ticks: at each x label's potential and each y label's value
// (labels in mA here: the frame reaches 4e-3 A), in light grey under the curves.
TEST_F(PlotTest, TheGridFollowsTheTicks) {
    fixLimits("-0.3", "0.45", "-4e-3", "2e-3");
    options.CheckGrid.setValue(1);
    setCurve(1, {0.1, 0.2}, {-1e-3, 1e-3});
    DrawPlot(app);
    EXPECT_EQ(yCaption(), "I /mA");
    std::vector<double> vertical, horizontal, xLabels, yLabels;
    for (const Stroke &line : gridLines())
        (line.x1 == line.x2 ? vertical : horizontal)
            .push_back(line.x1 == line.x2 ? line.x1 : line.y1);
    for (const Stroke &s : tickLabels(true))
        xLabels.push_back(strictValue(s.text));
    for (const Stroke &s : tickLabels(false))
        yLabels.push_back(strictValue(s.text) * 1e-3);
    ASSERT_EQ(vertical.size(), xLabels.size());
    ASSERT_EQ(horizontal.size(), yLabels.size());
    for (std::size_t i = 0; i < vertical.size(); ++i)
        EXPECT_NEAR(vertical[i], xLabels[i], 1e-7);
    for (std::size_t i = 0; i < horizontal.size(); ++i)
        EXPECT_NEAR(horizontal[i], yLabels[i], 1e-9); // single precision of 4e-3
    // The grid comes first, so that the curves are drawn over it.
    auto firstGrid = std::find_if(drawn().begin(), drawn().end(), [](const Stroke &s) {
        return s.kind == Kind::Color && s.value == kGridColor;
    });
    auto firstMarker = std::find_if(drawn().begin(), drawn().end(),
                                    [](const Stroke &s) { return s.kind == Kind::Marker; });
    EXPECT_LT(firstGrid, firstMarker);
}

// Run-time failures end the drawing where they happen, without a message: a value without a
// single-precision coordinate (data or typed limit) or a curve index beyond the style list or
// the store. Points and markers drawn before stay; nothing non-finite reaches the canvas or the
// state.
struct FailureCase {
    const char *name;
    std::vector<double> ys; // of curves 1..min(curves, 5)
    int curves;
    const char *yMax; // typed with y limits fixed; nullptr: Y auto
    std::size_t points;
};
class Failure : public PlotTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(Failure, EndsTheDrawingSilentlyAndPaintsNothingNonFinite) {
    const FailureCase &c = GetParam();
    for (int k = 1; k <= std::min(c.curves, 5); ++k)
        setCurve(k, {-0.2, -0.1, 0.0, 0.1}, c.ys);
    state.curveCount = static_cast<Int16>(c.curves);
    if (c.yMax != nullptr)
        fixLimits("-0.3", "0.3", "-1e-3", c.yMax);
    options.CheckGrid.setValue(1);
    DrawPlot(app);
    EXPECT_EQ(drawnOf(Kind::Point).size() + drawnOf(Kind::Marker).size(), c.points);
    for (const Stroke &s : drawn())
        EXPECT_TRUE(std::isfinite(s.x1) && std::isfinite(s.y1) && std::isfinite(s.x2) &&
                    std::isfinite(s.y2));
    EXPECT_TRUE(std::isfinite(state.yMax) && std::isfinite(state.yMin));
    EXPECT_TRUE(platform.messages.shown.empty());
}

const std::vector<double> fine{1e-4, 2e-4, 3e-4, 4e-4};
INSTANTIATE_TEST_SUITE_P(
    Cases, Failure,
    ::testing::Values(
        FailureCase{"NaNSeedsTheRange", {std::nan(""), 1e-6, 2e-6, 3e-6}, 1, nullptr, 0},
        FailureCase{"InfinityInTheData", {HUGE_VAL, 1e-6, 2e-6, 3e-6}, 1, nullptr, 0},
        FailureCase{"LimitBeyondSingle", fine, 1, "1e300", 0},
        FailureCase{"LimitBeyondDouble", fine, 1, "1e400", 0},
        // Curves 1..5 drawn (1, 4, 5 dotted, 3 squares, 2 a line), then curve 6 has no style.
        FailureCase{"CurveWithoutStyle", fine, 6, "1e-3", 4 * 4 + 1},
        // A value outside fixed limits is cut away (see FixedLimits...); NaN in a line has no
        // place to be cut at and ends the drawing at that segment.
        FailureCase{"NaNInALine", {1e-4, std::nan(""), 3e-4, 4e-4}, 2, "1e-3", 3 + 1},
        // With Y auto the range search meets curve 6 first: not in the store.
        FailureCase{"CurveBeyondTheStore", fine, 6, nullptr, 0}),
    [](const auto &testCase) { return std::string(testCase.param.name); });

TEST_F(PlotTest, LimitBoxesStartFromTheRangeOnThePlot) {
    setCurve(1, {-0.25, 0.0, 0.35}, {-3.7e-6, 1e-6, 3.7e-6});
    DrawPlot(app);                              // Y auto rounds to -4e-6..4e-6
    EXPECT_EQ(options.YmaxText.text(), "1e-3"); // automatic limits stay out of the texts
    options.Yauto.setValue(0);
    options.Xauto.setValue(0);
    EXPECT_EQ(options.YminText.text(), "-4E-06");
    EXPECT_EQ(options.YmaxText.text(), "4E-06");
    EXPECT_EQ(options.XminText.text(), "-0.25");
    EXPECT_EQ(options.XmaxText.text(), "0.35");
}

// A caption is the quantity's symbol with the transforms in the order applied, the product
// of the scalings, and the unit (with the axis's prefix) times V^-1 per derivative, V per
// integral and their roots.
TEST(AxisCaption, FollowsWhatTheCurveHolds) {
    using Op = CurveOperation;
    struct Case {
        const char *quantity;
        std::vector<Op> operations;
        double factor;
        const char *prefix;
        const char *caption;
    };
    for (const Case &c : std::vector<Case>{
             {"current I", {}, 1000, "", "I × 1000 /A"},
             {"current I", {}, -1, "µ", "-I /µA"},
             {"current I", {Op::SemiDerivative}, 1, "", "semi-derivative of I /A/s^½"},
             {"current I", {Op::SemiIntegral}, 0.1, "n", "semi-integral of I × 0.1 /nA s^½"},
             {"current I", {Op::Integral, Op::Derivative}, 1, "", "d(∫I dE)/dE /A"},
             {"current I", {Op::Derivative, Op::Derivative}, 1, "", "d(dI/dE)/dE /A/V^2"},
             {"conductance Cond", {Op::Derivative}, 1, "", "dCond/dE /(1/Ohm)/V"},
             {"conductance Cond", {}, 1, "m", "Cond /mS"},
             {"resistance R", {}, 1, "k", "R /kOhm"},
             {"typed", {Op::Derivative}, 1, "", ""},
         }) {
        CurveHistory history{c.operations, c.factor};
        EXPECT_EQ(yAxisCaption(c.quantity, history, c.prefix), c.caption);
    }
    EXPECT_EQ(xAxisCaption(1000), "E /mV");
    EXPECT_EQ(xAxisCaption(1000, "m"), "E /mV"); // scaled potentials take no further prefix
    EXPECT_EQ(xAxisCaption(1, "m"), "E /mV");
    EXPECT_EQ(xAxisCaption(-1), "-E /V");
}

// Derivative values of about 1e-5 A/V (frame to 2e-5): µA/V; scaled by 1000: mA/V; the
// potentials scaled by 1000 are mV. A new curve forgets both.
TEST_F(PlotTest, CaptionsFollowTransformsAndScalingsUntilANewCurve) {
    setCurve(1, {-0.2, -0.1, 0.0, 0.1}, {1e-6, 2e-6, 3e-6, 2e-6});
    mnuDerivative_Click(app);
    EXPECT_EQ(yCaption(), "dI/dE /µA/V");
    scaleCurrentCurve(app, 1000);
    EXPECT_EQ(yCaption(), "dI/dE × 1000 /mA/V");
    scalePotential(app, 1000);
    EXPECT_EQ(xCaption(), "E /mV");

    allocateCurveSlot(state, false); // a new simulation or import in column 1
    DrawPlot(app);
    EXPECT_EQ(yCaption(), "I /mA");
    EXPECT_EQ(xCaption(), "E /V");
}

// Export Plot asks for the size (FormExportPlot: 160 x 100 mm at 300 dpi unless typed) and
// draws the plot afresh on the file's canvas, laid out for it; the window keeps its picture.
// Without a writer or a printer the command says so.
TEST_F(PlotTest, ExportPlotDrawsAtTheSizeAskedFor) {
    app.mainWindow().menu("mnuExportPlot").click();
    EXPECT_EQ(platform.messages.shown, std::vector<std::string>{"Error: No data!"});
    setCurve(1, {-0.2, 0.0, 0.2}, {1e-6, 3e-6, 2e-6});
    DrawPlot(app);
    const std::vector<Stroke> shown = drawn();
    std::string written;
    PictureSize size;
    // The file's canvas: 160 mm at 96 logical pixels to the inch is 604.7 px wide.
    RecordingCanvas file(160 / 25.4 * 96, 100 / 25.4 * 96);
    platform.platform().writePicture = [&](const std::string &name, const PictureSize &asked,
                                           const auto &paint) {
        written = name;
        size = asked;
        paint(file);
    };
    platform.files.answers = {"/somewhere/plot"};
    app.mainWindow().menu("mnuExportPlot").click();
    EXPECT_EQ(written, "/somewhere/plot.png"); // a name without a suffix becomes a PNG
    // 160 mm / 25.4 mm per inch * 300 dpi = 1889.8 px, 100 mm: 1181.1 px.
    EXPECT_EQ(size.widthPx, 1890);
    EXPECT_EQ(size.heightPx, 1181);
    EXPECT_EQ(size.dpi, 300);
    EXPECT_EQ(styled(file.strokes(), Kind::Marker).size(), 3u);
    EXPECT_EQ(file.strokes().front().kind, Kind::Clear);
    EXPECT_EQ(drawn().size(), shown.size()); // the window's picture is untouched

    FormExportPlot &form = app.form<FormExportPlot>();
    form.PlotWidthPx.setText("1200"); // typing pixels chooses pixels
    platform.files.answers = {"plot.svg"};
    app.mainWindow().menu("mnuExportPlot").click();
    EXPECT_EQ(size.widthPx, 1200);
    EXPECT_EQ(size.heightPx, 600);
    EXPECT_EQ(size.dpi, 96);

    form.PlotWidthMm.setText("5");
    written.clear();
    platform.files.answers = {"small.pdf"};
    app.mainWindow().menu("mnuExportPlot").click();
    EXPECT_EQ(written, "");
    EXPECT_EQ(platform.messages.shown.back(),
              "Export Plot Error: the width must lie between 10 and 2000 mm, not \"5\"");

    form.PlotWidthMm.setText("160");
    platform.platform().writePicture = nullptr;
    platform.files.answers = {"plot.pdf"};
    app.mainWindow().menu("mnuExportPlot").click();
    EXPECT_EQ(platform.messages.shown.back(), "Plot Error: No picture files can be written here");
    app.mainWindow().menu("mnuPrint").click();
    EXPECT_EQ(platform.messages.shown.back(), "No printer is installed");
}

TEST(FormExportPlot, GivesThePixelsOfTheSizeTyped) {
    struct Case {
        const char *width, *height, *dpi;
        int widthPx, heightPx;
    };
    // px = mm / 25.4 * dpi, rounded: 85 mm at 600 dpi = 2007.9; 10 mm at 50 dpi = 19.7.
    for (const Case &c : {Case{"160", "100", "300", 1890, 1181},
                          Case{"85", "60", "600", 2008, 1417}, Case{"10", "10", "50", 20, 20}}) {
        FormExportPlot form;
        form.PlotWidthMm.setText(c.width);
        form.PlotHeightMm.setText(c.height);
        form.PlotDpi.setText(c.dpi);
        PictureSize size = form.pictureSize();
        EXPECT_EQ(size.widthPx, c.widthPx);
        EXPECT_EQ(size.heightPx, c.heightPx);
        EXPECT_EQ(form.LabelPixels.caption(),
                  std::to_string(c.widthPx) + " x " + std::to_string(c.heightPx) + " pixels");
    }
    FormExportPlot form;
    form.PlotDpi.setText("2400");
    form.PlotWidthMm.setText("2000"); // 189 million pixels
    EXPECT_THROW(form.pictureSize(), RuntimeError);
    form.PlotHeightPx.setText("abc");
    EXPECT_TRUE(form.optPlotPx.value());
    EXPECT_THROW(form.pictureSize(), RuntimeError);
}

} // namespace
} // namespace kemvo::test
