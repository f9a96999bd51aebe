// The plot drawn on the recording canvas: ranges, visible area, texts and their captions,
// curves and legend, grid and labels, the failures that end a drawing, Export Plot. Expected
// values are worked out by hand from the drawing rules; coordinates reach the canvas in single
// precision, hence EXPECT_FLOAT_EQ on them.

#include "analysis/TransformCommands.h"
#include "app/Workbench.h"
#include "display/AxisCaption.h"
#include "display/DrawPlot.h"
#include "display/FormOption.h"
#include "display/FormPlot.h"
#include "display/RecordingCanvas.h"
#include "shell/Application.h"
#include "shell/CurveScaling.h"
#include "shell/CurveSlots.h"
#include "shell/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
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
    std::vector<Stroke> gridLines() { return drawnOf(Kind::Line, kDarkRed, true); }

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
    std::string firstText() {
        std::vector<Stroke> texts = drawnOf(Kind::Text);
        return texts.empty() ? "" : texts.front().text;
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
    // yMax = a (trunc(high / a) + 1), yMin = a (trunc(low / a) - 1), yMax <= 0 becomes a;
    // visible top = yMax + a, bottom = yMin - 1.5 a. Products of a power of ten and a small
    // whole number: a relative 1e-12 allows for the rounding of the power.
    struct Case {
        double low, high, yMin, yMax, top, bottom;
        bool zeroLine;
    };
    for (const Case &c : {
             Case{2.2e-6, 3.7e-6, 1e-6, 4e-6, 5e-6, -0.5e-6, false},
             Case{-3.7e-6, -2.2e-6, -4e-6, 1e-6, 2e-6, -5.5e-6, true}, // yMax -1e-6 becomes a
             Case{-3.7e-6, 3.7e-6, -4e-6, 4e-6, 5e-6, -5.5e-6, true},
             Case{-7.0, 42.0, -10.0, 50.0, 60.0, -25.0, true}, // a = 10
             Case{-3e6, 2e7, -3e6, 2e7, 2.1e7, -4.5e6, true},  // M beyond 1e7: unrounded
             // M = 3.5e-18, below 1e-15: a = 1e-18 (not 1e6, which would draw the curve flat).
             Case{1.5e-18, 3.5e-18, 0, 4e-18, 5e-18, -1.5e-18, false},
         }) {
        SCOPED_TRACE(testing::Message() << c.low << ".." << c.high);
        // Neither extreme potential sits where the search starts (first and last point).
        setCurve(1, {0.1, 0.4, -0.2, 0.0}, {c.low, c.high, c.low, c.low});
        DrawPlot(app);
        EXPECT_NEAR(state.yMin, c.yMin, 1e-12 * std::fabs(c.yMin));
        EXPECT_NEAR(state.yMax, c.yMax, 1e-12 * std::fabs(c.yMax));
        // The visible area, set before the reversal for "X direction: + -> -".
        std::vector<Stroke> scales = drawnOf(Kind::Scale);
        ASSERT_GE(scales.size(), 2u);
        expectCorners(scales.end()[-2], -0.24, c.top, 0.48, c.bottom); // 1.2 xMin, 1.2 xMax
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

TEST_F(PlotTest, FixedLimitsFrameTheReversedAxisPlaceTheTextsAndCutTheCurves) {
    fixLimits("-0.3", "0.45", "-2e-6", "3.7e-6");
    options.linestyle3(0).select();
    // From inside to far above, back inside, then below the frame and out at the left.
    setCurve(1, {-0.2, -0.1, 0.0, 0.1, 0.2}, {0.0, 1.11e-5, 1e-6, -1e300, 0.0});
    DrawPlot(app);
    // Margins of a fifth of the y range, m = 1.14e-6: top yMax + m, bottom yMin - 1.5 m, so
    // the frame and the labels under it stay in view; left and right at 1.2 xMin, 1.2 xMax.
    const double m = (3.7e-6 + 2e-6) / 5;
    std::vector<Stroke> scales = drawnOf(Kind::Scale);
    ASSERT_EQ(scales.size(), 2u);
    expectCorners(scales[0], -0.36, 3.7e-6 + m, 0.54, -2e-6 - 1.5 * m);
    expectCorners(scales[1], 0.54, 3.7e-6 + m, -0.36, -2e-6 - 1.5 * m); // x decreases rightwards
    std::vector<Stroke> frame = drawnOf(Kind::Rectangle);
    ASSERT_EQ(frame.size(), 1u);
    expectCorners(frame[0], -0.3, -2e-6, 0.45, 3.7e-6);
    EXPECT_EQ(drawnOf(Kind::Line, kForegroundColor, true).size(), 1u); // zero line
    // y texts at the left edge 1.2 xMin: the caption at the top, the limits at 1.05 yMax and
    // 0.95 yMin; x labels hang from yMin - m/8, the x caption from yMin - m at the middle.
    for (auto [text, x, y] : {std::tuple{"I /A", 1.2 * -0.3, 3.7e-6 + m},
                              {"3.7E-6", 1.2 * -0.3, 1.05 * 3.7e-6},
                              {"-2E-6", 1.2 * -0.3, 0.95 * -2e-6},
                              {"-0.3", -0.3, -2e-6 - m / 8},
                              {"0.45", 0.45, -2e-6 - m / 8},
                              {"E /V", (-0.3 + 0.45) / 2, -2e-6 - m}}) {
        Stroke stroke = textStroke(text);
        EXPECT_FLOAT_EQ(stroke.x1, x) << text;
        EXPECT_FLOAT_EQ(stroke.y1, y) << text;
    }
    // The y texts come before the reversal of the x axis (else they would stand at the
    // right), the x texts after it.
    std::vector<Kind> order;
    for (const Stroke &s : drawn())
        if (s.kind == Kind::Scale || s.text == "3.7E-6" || s.text == "E /V")
            order.push_back(s.kind);
    EXPECT_EQ(order, (std::vector<Kind>{Kind::Scale, Kind::Text, Kind::Scale, Kind::Text}));
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
    EXPECT_EQ(firstText(), "R /Ohm");
}

TEST_F(PlotTest, CurvesAreDrawnInTheStyleOfTheirFrameAndOverlappedOnesGetALegend) {
    const std::vector<double> xs{-0.2, 0.0, 0.2, 0.4};
    fixLimits("-0.2", "0.4", "-1e-5", "3e-5");
    setCurve(1, xs, {1e-6, 2e-6, 3e-6, 1e-6});
    DrawPlot(app);
    EXPECT_EQ(timesDrawn("1"), 0); // a single curve needs no legend
    // Initial styles: curves 1, 4, 5 dotted, curve 2 a line, curve 3 squares.
    for (int k = 2; k <= 5; ++k)
        setCurve(k, xs, {1e-6 * k, 2e-6 * k, 3e-6 * k, 1e-6 * k});
    DrawPlot(app);
    // Three dotted curves, the line's start, and the legend's samples of the dotted curves.
    EXPECT_EQ(drawnOf(Kind::Point).size(), 3 * 4u + 1u + 3 * 5u);
    std::vector<Stroke> segments = drawnOf(Kind::LineTo);
    ASSERT_EQ(segments.size(), 3u);
    EXPECT_FLOAT_EQ(segments.back().x1, 0.4);
    EXPECT_FLOAT_EQ(segments.back().y1, 2e-6);
    // Squares of 1 % of each range centred on the points: 0.006 V by 4e-7 A.
    std::vector<Stroke> squares = drawnOf(Kind::Rectangle);
    ASSERT_EQ(squares.size(), 1u + 4u + 3u); // the frame, curve 3, its sample in the legend
    expectCorners(squares[1], -0.2 - 0.003, 3e-6 - 2e-7, -0.2 + 0.003, 3e-6 + 2e-7);
    std::vector<Stroke> lines = drawnOf(Kind::Line);
    ASSERT_EQ(lines.size(), 2u); // the zero line and the sample of curve 2, level
    EXPECT_FLOAT_EQ(lines[1].y1, lines[1].y2);
    // The legend runs along the top edge, yMax + (yMax - yMin) / 5 = 3.8e-5, from 60 % of the
    // width, 8 % a curve. x runs from 1.2 * 0.4 = 0.48 (left after the reversal) to -0.24.
    for (int k = 1; k <= 5; ++k) {
        Stroke number = textStroke(std::to_string(k));
        EXPECT_FLOAT_EQ(number.x1, 0.48 - (0.6 + 0.08 * (k - 1)) * 0.72) << k;
        EXPECT_FLOAT_EQ(number.y1, 3.8e-5) << k;
    }

    options.linestyle3(0).select(); // curve 1 as a line from the next drawing on
    DrawPlot(app);
    EXPECT_EQ(drawnOf(Kind::LineTo).size(), 6u);
}

std::vector<float> positions(const std::vector<Stroke> &lines, bool vertical) {
    std::vector<float> found;
    for (const Stroke &line : lines)
        if (vertical ? line.x1 == line.x2 : line.y1 == line.y2)
            found.push_back(static_cast<float>(vertical ? line.x1 : line.y1));
    return found;
}

// Fixed x limits (y too, unless null), the grid on: the lines of the four loops in their order
// (right of zero, left, below, above), and where a spacing that cannot be formed stops them.
TEST_F(PlotTest, GridDrawsEachLoopUntilASpacingCannotBeFormed) {
    struct Case {
        const char *name;
        const char *xMin, *xMax, *yMin, *yMax;
        std::vector<float> vertical, horizontal; // the canvas gets single precision
    };
    // clang-format off
    const std::vector<Case> cases{
        // round(4.5) = 4 (half to even): 0.45 / 4 = 0.1125; -0.3 / -3 = 0.1. a = 1e-3
        // (M = 4e-3): -4e-3 / -4 and 2e-3 / 2. Zero is drawn by both loops of an axis.
        {"Straddling", "-0.3", "0.45", "-4e-3", "2e-3",
             {0, 0.1125, 0.225, 0.3375, 0, -0.1, -0.2}, {0, -1e-3, -2e-3, -3e-3, 0, 1e-3}},
        // Y auto on +-3.7e-6: limits +-4e-6, a = 1e-6, so lines every 1e-6 from -3e-6 to 3e-6.
        {"YAuto", "-0.2", "0.2", nullptr, nullptr, {0, 0.1, 0, -0.1},
             {0, -1e-6, -2e-6, -3e-6, 0, 1e-6, 2e-6, 3e-6}},
        // round(10 * 0) = 0 on the left: only the lines from 0 rightwards.
        {"LeftAtZero", "0", "0.3", "-4e-3", "2e-3", {0, 0.1, 0.2}, {}},
        // round(10 * 0.04) = 0 on the right: no grid at all.
        {"RightUnformable", "-0.3", "0.04", "-4e-3", "2e-3", {}, {}},
        // 40000 lines of 0.1 V would paint the plot solid: ten spacings of 400 V instead.
        {"HugeRange", "-0.3", "4000", "-4e-3", "2e-3",
             {0, 400, 800, 1200, 1600, 2000, 2400, 2800, 3200, 3600, 0, -0.1, -0.2},
             {0, -1e-3, -2e-3, -3e-3, 0, 1e-3}},
        // round(0.3e-3 / 1e-3) = 0 below: all vertical lines, no horizontal ones.
        {"LowerUnformable", "-0.2", "0.2", "0.3e-3", "1e-3", {0, 0.1, 0, -0.1}, {}},
        // round(0.4e-3 / 1e-3) = 0 above: everything but the lines above zero.
        {"UpperUnformable", "-0.2", "0.2", "-4e-3", "0.4e-3", {0, 0.1, 0, -0.1},
             {0, -1e-3, -2e-3, -3e-3}},
        // Both limits on the far side of zero: the loops towards them draw nothing.
        {"FarSide", "0.2", "0.4", "1e-3", "4e-3", {0, 0.1, 0.2, 0.3}, {0, 1e-3, 2e-3, 3e-3}}};
    // clang-format on
    options.CheckGrid.setValue(1);
    setCurve(1, {0.1, 0.2}, {-3.7e-6, 3.7e-6});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        options.Yauto.setValue(1);
        fixLimits(c.xMin, c.xMax, c.yMin, c.yMax);
        DrawPlot(app); // a grid that failed must not leave its dark red dashes to the next one
        EXPECT_EQ(positions(gridLines(), true), c.vertical);
        EXPECT_EQ(positions(gridLines(), false), c.horizontal);
        EXPECT_EQ(drawnOf(Kind::Rectangle, kForegroundColor, false).size(), 1u); // the frame
    }
    EXPECT_TRUE(platform.messages.shown.empty());
}

TEST_F(PlotTest, EveryGridLineCarriesItsValueOnItsAxis) {
    // The Straddling grid above. The margin of fixed limits is a fifth of the y range, 1.2e-3:
    // x labels hang from yMin - 1.5e-4; y labels stand at the left edge, which after the
    // reversal of the x axis is 1.2 xMax = 0.54.
    fixLimits("-0.3", "0.45", "-4e-3", "2e-3");
    options.CheckGrid.setValue(1);
    setCurve(1, {0.1, 0.2}, {-1e-3, 1e-3});
    DrawPlot(app);
    const double below = -4e-3 - 1.2e-3 / 8;
    for (auto [text, x, y] : {std::tuple{"0.225", 0.225, below},
                              {"0.3375", 0.3375, below},
                              {"-0.2", -0.2, below},
                              {"-3E-3", 0.54, -3e-3},
                              {"1E-3", 0.54, 1e-3}}) {
        Stroke label = textStroke(text);
        EXPECT_FLOAT_EQ(label.x1, x) << text;
        EXPECT_FLOAT_EQ(label.y1, y) << text;
    }
    EXPECT_EQ(timesDrawn("0"), 2); // zero is labelled once on each axis, with the axes

    // 0..2 V: twenty lines of 0.1 V right of zero; at most six labels a side, so every
    // fourth line (ceil(20 / 6) = 4) carries its value.
    fixLimits("-0.2", "2");
    DrawPlot(app);
    for (const char *text : {"0.4", "0.8", "1.2", "1.6"})
        EXPECT_EQ(timesDrawn(text), 1) << text;
    for (const char *text : {"0.1", "0.3", "0.5", "1.9"})
        EXPECT_EQ(timesDrawn(text), 0) << text;
}

// Run-time failures end the drawing where they happen, without a message: a value without a
// single-precision coordinate (data or typed limit) or a curve index beyond the style list or
// the store. Points drawn before stay; nothing non-finite reaches the canvas or the state.
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
    EXPECT_EQ(drawnOf(Kind::Point).size(), c.points);
    EXPECT_TRUE(gridLines().empty());
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
        // Curves 1..5 drawn (1, 4, 5 dotted, 2 a line), then curve 6 has no style.
        FailureCase{"CurveWithoutStyle", fine, 6, "1e-3", 3 * 4 + 1},
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
// of the scalings, and the unit times V^-1 per derivative, V per integral and their roots.
TEST(AxisCaption, FollowsWhatTheCurveHolds) {
    using Op = CurveOperation;
    struct Case {
        const char *quantity;
        std::vector<Op> operations;
        double factor;
        const char *caption;
    };
    for (const Case &c : std::vector<Case>{
             {"current I", {}, 1000, "I × 1000 /A"},
             {"current I", {}, -1, "-I /A"},
             {"current I", {Op::SemiDerivative}, 1, "semi-derivative of I /A/s^½"},
             {"current I", {Op::SemiIntegral}, 0.1, "semi-integral of I × 0.1 /A s^½"},
             {"current I", {Op::Integral, Op::Derivative}, 1, "d(∫I dE)/dE /A"},
             {"current I", {Op::Derivative, Op::Derivative}, 1, "d(dI/dE)/dE /A/V^2"},
             {"conductance Cond", {Op::Derivative}, 1, "dCond/dE /(1/Ohm)/V"},
             {"typed", {Op::Derivative}, 1, ""},
         }) {
        CurveHistory history{c.operations, c.factor};
        EXPECT_EQ(yAxisCaption(c.quantity, history), c.caption);
    }
    EXPECT_EQ(xAxisCaption(1000), "E /mV");
    EXPECT_EQ(xAxisCaption(-1), "-E /V");
}

TEST_F(PlotTest, CaptionsFollowTransformsAndScalingsUntilANewCurve) {
    setCurve(1, {-0.2, -0.1, 0.0, 0.1}, {1e-6, 2e-6, 3e-6, 2e-6});
    mnuDerivative_Click(app);
    EXPECT_EQ(firstText(), "dI/dE /A/V");
    scaleCurrentCurve(app, 1000);
    EXPECT_EQ(firstText(), "dI/dE × 1000 /A/V");
    scalePotential(app, 1000);
    EXPECT_EQ(timesDrawn("E /mV"), 1);

    allocateCurveSlot(state, false); // a new simulation or import in column 1
    DrawPlot(app);
    EXPECT_EQ(firstText(), "I /A");
    EXPECT_EQ(timesDrawn("E /V"), 1);
}

// Export Plot replays the plot's picture onto the file's canvas, stroke for stroke, and
// leaves the window showing the same picture; without a printer Print says so.
TEST_F(PlotTest, ExportAndPrintTakeTheWindowsPicture) {
    app.mainWindow().menu("mnuExportPlot").click();
    EXPECT_EQ(platform.messages.shown, std::vector<std::string>{"Error: No data!"});
    setCurve(1, {-0.2, 0.0, 0.2}, {1e-6, 3e-6, 2e-6});
    options.CheckGrid.setValue(1);
    std::string written;
    RecordingCanvas file;
    auto writer = [&](const std::string &name, const auto &paint) {
        written = name;
        paint(file);
    };
    platform.platform().writePicture = writer;
    platform.files.answers = {"/somewhere/plot"};
    app.mainWindow().menu("mnuExportPlot").click();
    EXPECT_EQ(written, "/somewhere/plot.png"); // a name without a suffix becomes a PNG
    auto same = [](const Stroke &s, const Stroke &t) {
        return s.kind == t.kind && s.x1 == t.x1 && s.y1 == t.y1 && s.x2 == t.x2 && s.y2 == t.y2 &&
               s.value == t.value && s.text == t.text;
    };
    ASSERT_GT(drawn().size(), 20u);
    EXPECT_TRUE(std::equal(drawn().begin(), drawn().end(), file.strokes().begin(),
                           file.strokes().end(), same));

    platform.platform().writePicture = nullptr;
    platform.files.answers = {"plot.pdf"};
    app.mainWindow().menu("mnuExportPlot").click();
    EXPECT_EQ(platform.messages.shown.back(), "Plot Error: No picture files can be written here");
    app.mainWindow().menu("mnuPrint").click();
    EXPECT_EQ(platform.messages.shown.back(), "No printer is installed");
}

} // namespace
} // namespace kemvo::test
