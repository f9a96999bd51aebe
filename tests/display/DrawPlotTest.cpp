// The plot drawing on the recording canvas: ranges, visible area, texts, curves, grid and the
// failures that end a drawing. Expected values are worked out by hand from the drawing rules;
// coordinates reach the canvas in single precision, hence EXPECT_FLOAT_EQ on them.

#include "PlotFixture.h"

#include "display/DrawPlot.h"

#include <cmath>

namespace kemvo::test {
namespace {

using Kind = Stroke::Kind;

// Names parameterised cases after their `name` field.
struct CaseName {
    template <typename P> std::string operator()(const ::testing::TestParamInfo<P> &c) const {
        return c.param.name;
    }
};
constexpr CaseName caseName;

class DrawPlotTest : public PlotFixture {};

// Y auto on a curve between `low` and `high`: the decade a, the rounded limits, the visible
// area (top = yMax + a, bottom = yMin - 1.5 a) and whether the dashed zero line appears.
struct YAutoCase {
    const char *name;
    double low, high;
    double yMin, yMax, top, bottom;
    bool zeroLine;
};

class YAutoRange : public DrawPlotTest, public ::testing::WithParamInterface<YAutoCase> {};

TEST_P(YAutoRange, RoundsOutwardToTheDecadeAndFramesTheData) {
    const YAutoCase &c = GetParam();
    setCurve(1, {-0.2, 0.0, 0.4}, {c.low, c.high, c.low});
    DrawPlot(app);

    // The limits are products of a power of ten and a small whole number: a few ulps at most.
    EXPECT_NEAR(state.yMin, c.yMin, 1e-12 * std::fabs(c.yMin));
    EXPECT_NEAR(state.yMax, c.yMax, 1e-12 * std::fabs(c.yMax));
    EXPECT_DOUBLE_EQ(state.xMin, -0.2);
    EXPECT_DOUBLE_EQ(state.xMax, 0.4);

    std::vector<Stroke> scales = drawnOf(Kind::Scale);
    ASSERT_EQ(scales.size(), 2u); // once, then reversed for "X direction: + -> -"
    EXPECT_FLOAT_EQ(scales[0].x1, -0.24);
    EXPECT_FLOAT_EQ(scales[0].y1, c.top);
    EXPECT_FLOAT_EQ(scales[0].x2, 0.48);
    EXPECT_FLOAT_EQ(scales[0].y2, c.bottom);

    std::vector<Stroke> dashedLines;
    bool dashed = false;
    for (const Stroke &s : drawn()) {
        if (s.kind == Kind::Dashed)
            dashed = s.value != 0;
        else if (dashed && s.kind == Kind::Line)
            dashedLines.push_back(s);
    }
    ASSERT_EQ(dashedLines.size(), c.zeroLine ? 1u : 0u);
    if (c.zeroLine) {
        EXPECT_FLOAT_EQ(dashedLines[0].x1, -0.2);
        EXPECT_EQ(dashedLines[0].y1, 0.0);
        EXPECT_FLOAT_EQ(dashedLines[0].x2, 0.4);
        EXPECT_EQ(dashedLines[0].y2, 0.0);
        EXPECT_FLOAT_EQ(textStroke("0").x1, -0.24); // the y label of the zero line
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, YAutoRange,
    ::testing::Values(YAutoCase{"Positive", 2.2e-6, 3.7e-6, 1e-6, 4e-6, 5e-6, -0.5e-6, false},
                      // yMax rounds to -1e-6, which is not above zero, so it becomes a = 1e-6.
                      YAutoCase{"Negative", -3.7e-6, -2.2e-6, -4e-6, 1e-6, 2e-6, -5.5e-6, true},
                      YAutoCase{"Straddling", -3.7e-6, 3.7e-6, -4e-6, 4e-6, 5e-6, -5.5e-6, true},
                      // M = 42 gives a = 10; trunc(42/10) + 1 = 5, trunc(-7/10) - 1 = -1.
                      YAutoCase{"Tens", -7.0, 42.0, -10.0, 50.0, 60.0, -25.0, true}),
    caseName);

TEST_F(DrawPlotTest, LargestMagnitudeOutsideTheDecadesLeavesTheLimitsUnrounded) {
    // M = 2e7 matches no decade from 1e-15 to 1e6: a keeps 1e6 and nothing is rounded.
    setCurve(1, {0.0, 0.5}, {-3e6, 2e7});
    DrawPlot(app);
    EXPECT_EQ(state.yMax, 2e7);
    EXPECT_EQ(state.yMin, -3e6);
    std::vector<Stroke> scales = drawnOf(Kind::Scale);
    ASSERT_FALSE(scales.empty());
    EXPECT_FLOAT_EQ(scales[0].y1, 2e7 + 1e6);
    EXPECT_FLOAT_EQ(scales[0].y2, -3e6 - 1.5e6);
}

struct EmptyRangeCase {
    const char *name;
    std::vector<double> xs, ys;
    bool fixedX;
};

class EmptyRange : public DrawPlotTest, public ::testing::WithParamInterface<EmptyRangeCase> {};

TEST_P(EmptyRange, ReportsNoDataAndLeavesTheWindowShownAndEmpty) {
    const EmptyRangeCase &c = GetParam();
    setCurve(1, c.xs, c.ys);
    if (c.fixedX) {
        options.Xauto.setValue(0);
        options.XminText.setText("0.25");
        options.XmaxText.setText("0.25");
    }
    DrawPlot(app);
    EXPECT_EQ(platform.messages.shown, std::vector<std::string>{"Error: No data!"});
    EXPECT_TRUE(app.form<FormPlot>().visible());
    EXPECT_TRUE(drawnOf(Kind::Scale).empty());
    EXPECT_TRUE(drawnOf(Kind::Text).empty());
    EXPECT_EQ(drawn().front().kind, Kind::Clear);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EmptyRange,
    ::testing::Values(EmptyRangeCase{"AllZero", {-0.1, 0.0, 0.1}, {0, 0, 0}, false},
                      EmptyRangeCase{"SinglePoint", {0.1}, {2e-6}, false},
                      EmptyRangeCase{"EqualXLimits", {-0.1, 0.1}, {1e-6, 2e-6}, true}),
    caseName);

TEST_F(DrawPlotTest, FixedLimitsShowTheVisibleAreaAndTheReversedXAxis) {
    fixLimits("-0.3", "0.3", "-1e-3", "1e-3");
    setCurve(1, {-0.1, 0.1}, {1e-4, 2e-4});
    DrawPlot(app);

    // 1.1 yMax above, 0.8 yMin below: the frame's lower edge lies outside the visible area.
    std::vector<Stroke> scales = drawnOf(Kind::Scale);
    ASSERT_EQ(scales.size(), 2u);
    EXPECT_FLOAT_EQ(scales[0].x1, -0.36);
    EXPECT_FLOAT_EQ(scales[0].y1, 1.1e-3);
    EXPECT_FLOAT_EQ(scales[0].x2, 0.36);
    EXPECT_FLOAT_EQ(scales[0].y2, -0.8e-3);
    EXPECT_FLOAT_EQ(scales[1].x1, 0.36);
    EXPECT_FLOAT_EQ(scales[1].x2, -0.36);
    EXPECT_EQ(scales[1].y1, scales[0].y1);
    EXPECT_EQ(scales[1].y2, scales[0].y2);

    std::vector<Stroke> frame = drawnOf(Kind::Rectangle);
    ASSERT_EQ(frame.size(), 1u);
    EXPECT_FLOAT_EQ(frame[0].x1, -0.3);
    EXPECT_FLOAT_EQ(frame[0].y1, -1e-3);
    EXPECT_FLOAT_EQ(frame[0].x2, 0.3);
    EXPECT_FLOAT_EQ(frame[0].y2, 1e-3);
}

TEST_F(DrawPlotTest, TextsSitWhereTheAxesPutThem) {
    fixLimits("-0.3", "0.45", "-2e-6", "3.7e-6");
    setCurve(1, {-0.1, 0.1}, {1e-6, 2e-6});
    DrawPlot(app);

    // M = 3.7e-6, so a = 1e-6. Left = 1.2 xMin = -0.36, top = 1.1 yMax.
    Stroke caption = textStroke("I /A");
    EXPECT_FLOAT_EQ(caption.x1, -0.36);
    EXPECT_FLOAT_EQ(caption.y1, 1.1 * 3.7e-6);
    Stroke yMaxLabel = textStroke("3.7E-6");
    EXPECT_FLOAT_EQ(yMaxLabel.x1, -0.36);
    EXPECT_FLOAT_EQ(yMaxLabel.y1, 1.05 * 3.7e-6);
    Stroke yMinLabel = textStroke("-2E-6");
    EXPECT_FLOAT_EQ(yMinLabel.y1, 0.95 * -2e-6);

    // x labels hang from yMin - a/8, the x caption from yMin - a at the middle of the range.
    Stroke xMinLabel = textStroke("-0.3");
    EXPECT_FLOAT_EQ(xMinLabel.x1, -0.3);
    EXPECT_FLOAT_EQ(xMinLabel.y1, -2e-6 - 1e-6 / 8);
    EXPECT_FLOAT_EQ(textStroke("0.45").x1, 0.45);
    Stroke xCaption = textStroke("E /V");
    EXPECT_FLOAT_EQ(xCaption.x1, 0.075);
    EXPECT_FLOAT_EQ(xCaption.y1, -3e-6);

    // The y texts come before the reversal of the x axis, the x texts after it.
    const std::vector<Stroke> &all = drawn();
    auto position = [&](Kind kind, const std::string &text) {
        for (std::size_t i = 0; i < all.size(); ++i)
            if (all[i].kind == kind && all[i].text == text)
                return i;
        return all.size();
    };
    std::size_t reversal = 0;
    for (std::size_t i = 0, seen = 0; i < all.size(); ++i)
        if (all[i].kind == Kind::Scale && ++seen == 2)
            reversal = i;
    EXPECT_LT(position(Kind::Text, "3.7E-6"), reversal);
    EXPECT_GT(position(Kind::Text, "E /V"), reversal);
}

TEST_F(DrawPlotTest, ZeroXLabelIsDrawnEvenOutsideTheRange) {
    fixLimits("0.2", "0.6", "1e-6", "3e-6");
    setCurve(1, {0.3, 0.4}, {2e-6, 2e-6});
    DrawPlot(app);
    EXPECT_EQ(textStroke("0").x1, 0.0);
}

struct CaptionCase {
    const char *quantity;
    const char *caption; // "" for none
};

class YCaption : public DrawPlotTest, public ::testing::WithParamInterface<CaptionCase> {};

TEST_P(YCaption, FollowsTheChosenQuantity) {
    fixLimits("-0.3", "0.3", "-1e-3", "1e-3");
    options.ComboY.setText(GetParam().quantity);
    setCurve(1, {-0.1, 0.1}, {0, 0});
    DrawPlot(app);
    // The first text is the caption, unless there is none: then the yMax label comes first.
    std::vector<Stroke> texts = drawnOf(Kind::Text);
    ASSERT_FALSE(texts.empty());
    std::string expected = *GetParam().caption ? GetParam().caption : "1E-3";
    EXPECT_EQ(texts[0].text, expected);
}

INSTANTIATE_TEST_SUITE_P(Entries, YCaption,
                         ::testing::Values(CaptionCase{"current I", "I /A"},
                                           CaptionCase{"resistance R", "R /Ohm"},
                                           CaptionCase{"conductance Cond", "Cond /1/Ohm"},
                                           CaptionCase{"surface concentration C", "C /M"},
                                           CaptionCase{"typed text", ""}));

TEST_F(DrawPlotTest, CurvesAreDrawnInTheStyleOfTheirFrame) {
    // Initial styles: curves 1, 4, 5 dotted, curve 2 a line, curve 3 squares.
    const std::vector<double> xs{-0.2, 0.0, 0.2, 0.4};
    for (int k = 1; k <= 5; ++k)
        setCurve(k, xs, {1e-6 * k, 2e-6 * k, 3e-6 * k, 1e-6 * k});
    fixLimits("-0.2", "0.4", "-1e-5", "3e-5");
    DrawPlot(app);

    EXPECT_EQ(drawnOf(Kind::Point).size(), 3 * 4u + 1u); // three dotted curves, the line's start
    std::vector<Stroke> segments = drawnOf(Kind::LineTo);
    ASSERT_EQ(segments.size(), 3u);
    EXPECT_FLOAT_EQ(segments.back().x1, 0.4);
    EXPECT_FLOAT_EQ(segments.back().y1, 2e-6);

    // Squares of 1 % of each range centred on the points: dx = 0.006, dy = 4e-7.
    std::vector<Stroke> squares = drawnOf(Kind::Rectangle);
    ASSERT_EQ(squares.size(), 1u + 4u); // the frame, then curve 3
    EXPECT_FLOAT_EQ(squares[1].x1, -0.2 - 0.003);
    EXPECT_FLOAT_EQ(squares[1].y1, 3e-6 - 2e-7);
    EXPECT_FLOAT_EQ(squares[1].x2, -0.2 + 0.003);
    EXPECT_FLOAT_EQ(squares[1].y2, 3e-6 + 2e-7);
}

TEST_F(DrawPlotTest, ChangedStyleTakesEffectAtTheNextDrawing) {
    setCurve(1, {-0.2, 0.0, 0.2}, {1e-6, 2e-6, 3e-6});
    options.linestyle3(0).select();
    DrawPlot(app);
    EXPECT_EQ(drawnOf(Kind::LineTo).size(), 2u);
    EXPECT_EQ(state.lineStyle[1], 3);
}

TEST_F(DrawPlotTest, CurveWithoutAStyleEntryEndsTheDrawingAfterTheOthers) {
    // A sixth curve has no lineStyle entry: curves 1 to 5 are drawn, then the drawing stops
    // (no grid) without a message. (With Y auto the range search meets it first.)
    for (int k = 1; k <= 5; ++k)
        setCurve(k, {-0.2, 0.2}, {1e-6, 2e-6});
    fixLimits("-0.3", "0.3", "-1e-5", "1e-5");
    state.curveCount = 6;
    options.CheckGrid.setValue(1);
    DrawPlot(app);
    EXPECT_EQ(drawnOf(Kind::Point).size(), 3 * 2u + 1u);
    EXPECT_TRUE(gridLines().empty());
    EXPECT_TRUE(platform.messages.shown.empty());
}

std::vector<double> positions(const std::vector<Stroke> &lines, bool vertical) {
    std::vector<double> found;
    for (const Stroke &line : lines)
        if (vertical && line.x1 == line.x2)
            found.push_back(line.x1);
        else if (!vertical && line.y1 == line.y2)
            found.push_back(line.y1);
    return found;
}

void expectPositions(const std::vector<double> &actual, const std::vector<double> &expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_FLOAT_EQ(actual[i], expected[i]) << "line " << i;
}

// Fixed limits, the grid on: the lines of the four loops in their order, and where a spacing
// that cannot be formed stops them.
struct GridCase {
    const char *name;
    const char *xMin, *xMax, *yMin, *yMax;
    std::vector<double> vertical, horizontal;
};

class Grid : public DrawPlotTest, public ::testing::WithParamInterface<GridCase> {};

TEST_P(Grid, DrawsEachLoopUntilASpacingCannotBeFormed) {
    const GridCase &c = GetParam();
    fixLimits(c.xMin, c.xMax, c.yMin, c.yMax);
    options.CheckGrid.setValue(1);
    setCurve(1, {0.1, 0.2}, {1e-3, 2e-3});
    DrawPlot(app);
    std::vector<Stroke> lines = gridLines();
    expectPositions(positions(lines, true), c.vertical);
    expectPositions(positions(lines, false), c.horizontal);
    EXPECT_TRUE(platform.messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Loops, Grid,
    ::testing::Values(
        // round(4.5) = 4 (halves to even): s1 = 0.45 / 4 = 0.1125. s2 = -0.3 / -3 = 0.1.
        // a = 1e-3 (M = 4e-3): s3 = -4e-3 / -4, s4 = 2e-3 / 2; 0 drawn by both.
        GridCase{"Straddling",
                 "-0.3",
                 "0.45",
                 "-4e-3",
                 "2e-3",
                 {0, 0.1125, 0.225, 0.3375, 0, -0.1, -0.2},
                 {0, -1e-3, -2e-3, -3e-3, 0, 1e-3}},
        // xMin = 0: round(0) = 0, so only the lines from 0 rightwards.
        GridCase{"LeftAtZero", "0", "0.3", "-4e-3", "2e-3", {0, 0.1, 0.2}, {}},
        // round(10 * 0.04) = 0: no grid at all.
        GridCase{"RightUnformable", "-0.3", "0.04", "-4e-3", "2e-3", {}, {}},
        // round(10 * 4000) exceeds 16 bits: no grid at all.
        GridCase{"RightBeyond16Bits", "-0.3", "4000", "-4e-3", "2e-3", {}, {}},
        // round(0.3e-3 / 1e-3) = 0 below: all vertical lines, no horizontal ones.
        GridCase{"LowerUnformable", "-0.2", "0.2", "0.3e-3", "1e-3", {0, 0.1, 0, -0.1}, {}},
        // round(0.4e-3 / 1e-3) = 0 above: everything but the lines above zero.
        GridCase{"UpperUnformable",
                 "-0.2",
                 "0.2",
                 "-4e-3",
                 "0.4e-3",
                 {0, 0.1, 0, -0.1},
                 {0, -1e-3, -2e-3, -3e-3}},
        // Both limits on the far side of zero: the loops draw nothing.
        GridCase{
            "FarSide", "0.2", "0.4", "1e-3", "4e-3", {0, 0.1, 0.2, 0.3}, {0, 1e-3, 2e-3, 3e-3}}),
    caseName);

TEST_F(DrawPlotTest, GridWithYAutoSpacesHorizontalLinesOneDecadeApart) {
    options.CheckGrid.setValue(1);
    setCurve(1, {-0.2, 0.0, 0.2}, {-3.7e-6, 0.0, 3.7e-6});
    DrawPlot(app);
    // yMax = 4e-6, yMin = -4e-6, a = 1e-6: lines from -3e-6 to 3e-6, 0 twice.
    expectPositions(positions(gridLines(), false), {0, -1e-6, -2e-6, -3e-6, 0, 1e-6, 2e-6, 3e-6});
}

bool allFinite(const std::vector<Stroke> &strokes) {
    for (const Stroke &s : strokes)
        if (!std::isfinite(s.x1) || !std::isfinite(s.y1) || !std::isfinite(s.x2) ||
            !std::isfinite(s.y2))
            return false;
    return true;
}

TEST_F(DrawPlotTest, CurveBeyondTheStoreStopsTheYRangeSearch) {
    setCurve(1, {-0.2, 0.2}, {1e-6, 2e-6});
    state.curveCount = 6;
    DrawPlot(app);
    EXPECT_TRUE(drawnOf(Kind::Scale).empty());
    EXPECT_TRUE(platform.messages.shown.empty());
}

TEST_F(DrawPlotTest, ValueBeyondSinglePrecisionEndsTheDrawingSilentlyAtThatPoint) {
    fixLimits("-0.3", "0.3", "-1e-3", "1e-3");
    options.CheckGrid.setValue(1);
    setCurve(1, {-0.2, -0.1, 0.0, 0.1}, {1e-4, 2e-4, 1e300, 3e-4});
    DrawPlot(app);
    EXPECT_EQ(drawnOf(Kind::Point).size(), 2u); // the points before the failing one stay
    EXPECT_TRUE(gridLines().empty());
    EXPECT_TRUE(allFinite(drawn()));
    EXPECT_TRUE(platform.messages.shown.empty());
}

// Values that have no single-precision coordinate, in the data or typed as limits: the drawing
// stops where it meets them, shows nothing, and the state keeps no infinity or NaN.
struct NonFiniteCase {
    const char *name;
    double badValue;
    const char *yMaxText; // nullptr: Y auto
};

class NonFinite : public DrawPlotTest, public ::testing::WithParamInterface<NonFiniteCase> {};

TEST_P(NonFinite, StopsWithoutMessageAndNeverPaintsIt) {
    const NonFiniteCase &c = GetParam();
    setCurve(1, {-0.2, 0.0, 0.2}, {c.badValue, 1e-6, 2e-6});
    if (c.yMaxText != nullptr) {
        options.Yauto.setValue(0);
        options.YmaxText.setText(c.yMaxText);
    }
    DrawPlot(app);
    EXPECT_TRUE(drawnOf(Kind::Scale).empty());
    EXPECT_TRUE(drawnOf(Kind::Point).empty());
    EXPECT_TRUE(allFinite(drawn()));
    EXPECT_TRUE(std::isfinite(state.yMax) && std::isfinite(state.yMin));
    EXPECT_TRUE(platform.messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Values, NonFinite,
                         ::testing::Values(NonFiniteCase{"NaNSeedsTheRange", std::nan(""), nullptr},
                                           NonFiniteCase{"InfinityInTheData", HUGE_VAL, nullptr},
                                           NonFiniteCase{"LimitBeyondSinglePrecision", 1e-6,
                                                         "1e300"},
                                           NonFiniteCase{"LimitBeyondDouble", 1e-6, "1e400"}),
                         caseName);

TEST_F(DrawPlotTest, FailedGridDoesNotColourTheNextDrawing) {
    fixLimits("-0.3", "0.04", "-1e-3", "1e-3");
    options.CheckGrid.setValue(1);
    setCurve(1, {-0.2, 0.0}, {1e-4, 2e-4});
    DrawPlot(app); // the grid fails at once, leaving dark red and dashed lines set
    DrawPlot(app);
    int color = kForegroundColor;
    bool dashed = false;
    for (const Stroke &s : drawn()) {
        if (s.kind == Kind::Color)
            color = s.value;
        if (s.kind == Kind::Dashed)
            dashed = s.value != 0;
        if (s.kind == Kind::Rectangle)
            break;
    }
    EXPECT_EQ(color, kForegroundColor);
    EXPECT_FALSE(dashed);
}

TEST_F(DrawPlotTest, AutomaticLimitsStayInTheStateAndLeaveTheTextsAlone) {
    setCurve(1, {0.5, -0.25, 0.1}, {-1.2e-5, 3.4e-5, 0.0});
    DrawPlot(app);
    EXPECT_EQ(state.xMin, -0.25);
    EXPECT_EQ(state.xMax, 0.5);
    EXPECT_NEAR(state.yMax, 4e-5, 1e-17);  // a = 1e-5: trunc(3.4) + 1 = 4
    EXPECT_NEAR(state.yMin, -2e-5, 1e-17); // trunc(-1.2) - 1 = -2
    EXPECT_EQ(options.XminText.text(), "-0.3");
    EXPECT_EQ(options.YmaxText.text(), "1e-3");
}

TEST_F(DrawPlotTest, ReplayDrawsTheSamePicture) {
    options.CheckGrid.setValue(1);
    setCurve(1, {-0.2, 0.0, 0.2}, {-3.7e-6, 0.0, 3.7e-6});
    DrawPlot(app);
    RecordingCanvas copy;
    dynamic_cast<RecordingCanvas &>(app.form<FormPlot>().picture()).replay(copy);
    ASSERT_EQ(copy.strokes().size(), drawn().size());
    for (std::size_t i = 0; i < drawn().size(); ++i) {
        EXPECT_EQ(copy.strokes()[i].kind, drawn()[i].kind);
        EXPECT_EQ(copy.strokes()[i].x1, drawn()[i].x1);
        EXPECT_EQ(copy.strokes()[i].text, drawn()[i].text);
    }
}

} // namespace
} // namespace kemvo::test
