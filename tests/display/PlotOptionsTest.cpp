// The options window's state at start-up, what ReadPlotOptions takes from it, and the
// display commands of the main window.

#include "PlotFixture.h"

#include "display/DrawPlot.h"

namespace kemvo::test {
namespace {

using Kind = Stroke::Kind;

class PlotOptionsTest : public PlotFixture {};

TEST_F(PlotOptionsTest, StartUpChoosesTheCurrentAndAutomaticAxes) {
    EXPECT_EQ(options.ComboY.text(), "current I");
    EXPECT_TRUE(options.Xauto.checked());
    EXPECT_TRUE(options.Yauto.checked());
    EXPECT_TRUE(options.CheckXdir.checked());
    EXPECT_FALSE(options.CheckGrid.checked());
    EXPECT_FALSE(options.overlap.checked());
    for (Control *hidden : std::initializer_list<Control *>{
             &options.Label2, &options.XminText, &options.Label3, &options.XmaxText,
             &options.Label4, &options.YminText, &options.Label5, &options.YmaxText})
        EXPECT_FALSE(hidden->visible()) << hidden->name();
}

TEST_F(PlotOptionsTest, InitialStylesDotCurves145LineCurve2AndSquareCurve3) {
    ReadPlotOptions(app);
    EXPECT_EQ(state.lineStyle, (std::array<Int16, 6>{0, 1, 3, 2, 1, 1}));
}

TEST_F(PlotOptionsTest, AutoBoxesShowAndHideTheirOwnLimitsOnly) {
    options.Xauto.click();
    EXPECT_TRUE(options.XminText.reachable());
    EXPECT_TRUE(options.Label3.visible());
    EXPECT_FALSE(options.YminText.visible());
    options.Yauto.click();
    EXPECT_TRUE(options.YmaxText.reachable());
    EXPECT_TRUE(options.Label4.visible());
    options.Xauto.click();
    EXPECT_FALSE(options.XmaxText.visible());
    EXPECT_FALSE(options.Label2.visible());
    EXPECT_TRUE(options.YminText.visible());
}

struct LimitCase {
    const char *text;
    double value;
};

class LimitText : public PlotOptionsTest, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(LimitText, IsReadLeniently) {
    options.Xauto.setValue(0);
    options.XminText.setText(GetParam().text);
    ReadPlotOptions(app);
    EXPECT_DOUBLE_EQ(state.xMin, GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Texts, LimitText,
                         ::testing::Values(LimitCase{"-0.3", -0.3}, LimitCase{"abc", 0.0},
                                           LimitCase{"  1e-3V", 1e-3}, LimitCase{"", 0.0}));

TEST_F(PlotOptionsTest, AutomaticAxisKeepsTheLimitsOfTheState) {
    state.xMin = -0.7;
    state.yMax = 5e-6;
    ReadPlotOptions(app);
    EXPECT_EQ(state.xMin, -0.7);
    EXPECT_EQ(state.yMax, 5e-6);
}

TEST_F(PlotOptionsTest, FixedXAxisWithInitialTextsSpansPlusMinusPointThreeReversed) {
    options.Xauto.setValue(0);
    setCurve(1, {-0.1, 0.1}, {1e-6, 2e-6});
    DrawPlot(app);
    EXPECT_EQ(state.xMin, -0.3);
    EXPECT_EQ(state.xMax, 0.3);
    std::vector<Stroke> scales = drawnOf(Kind::Scale);
    ASSERT_EQ(scales.size(), 2u);
    EXPECT_FLOAT_EQ(scales[0].x1, -0.36);
    EXPECT_FLOAT_EQ(scales[0].x2, 0.36);
    EXPECT_FLOAT_EQ(scales[1].x1, 0.36); // x decreases to the right
    EXPECT_FLOAT_EQ(scales[1].x2, -0.36);
}

TEST_F(PlotOptionsTest, OkReadsHidesAndRedraws) {
    setCurve(1, {-0.1, 0.1}, {1e-6, 2e-6});
    app.mainWindow().menu("mnuOption").click();
    ASSERT_TRUE(options.visible());
    options.CheckGrid.setValue(1);
    options.overlap.setValue(1);
    options.OK.click();
    EXPECT_FALSE(options.visible());
    EXPECT_TRUE(state.gridOn);
    EXPECT_TRUE(state.overlapMode);
    EXPECT_TRUE(app.form<FormPlot>().visible());
    EXPECT_FALSE(gridLines().empty());
}

TEST_F(PlotOptionsTest, ClearThenPlotRedrawsTheSamePicture) {
    setCurve(1, {-0.1, 0.0, 0.1}, {1e-6, 3e-6, 2e-6});
    // What shows: points, lines, rectangles and texts (not the settings a clear keeps).
    auto visible = [this] {
        std::vector<Stroke> marks;
        for (const Stroke &s : drawn())
            if (s.kind == Kind::Point || s.kind == Kind::Line || s.kind == Kind::LineTo ||
                s.kind == Kind::Rectangle || s.kind == Kind::Text)
                marks.push_back(s);
        return marks;
    };
    app.mainWindow().menu("mnuPlot").click();
    std::vector<Stroke> before = visible();
    ASSERT_FALSE(before.empty());
    app.mainWindow().menu("mnuClear").click();
    EXPECT_EQ(drawn().front().kind, Kind::Clear);
    EXPECT_TRUE(visible().empty());
    app.mainWindow().menu("mnuPlot").click();
    std::vector<Stroke> after = visible();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i].kind, before[i].kind);
        EXPECT_EQ(after[i].x1, before[i].x1);
        EXPECT_EQ(after[i].y1, before[i].y1);
        EXPECT_EQ(after[i].text, before[i].text);
    }
}

TEST_F(PlotOptionsTest, CopyPutsThePictureOnTheClipboard) {
    app.mainWindow().menu("mnuCopyto").click();
    EXPECT_EQ(platform.clipboard.puts, 1);
    EXPECT_EQ(platform.clipboard.last, &app.form<FormPlot>().picture());
}

TEST_F(PlotOptionsTest, PrintWithoutPrinterSaysSo) {
    app.mainWindow().menu("mnuPrint").click();
    EXPECT_EQ(platform.messages.shown, std::vector<std::string>{"No printer is installed"});
}

} // namespace
} // namespace kemvo::test
