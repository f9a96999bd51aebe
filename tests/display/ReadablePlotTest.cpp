// What makes the plot readable: grid lines that carry their values, the legend of overlapped
// curves, axis captions that follow the transforms and scalings of a curve, fixed limits
// that keep the frame and its labels in view and cut the curves to the frame, limit boxes
// that start from the plot's range, and Export Plot. Positions are worked out by hand from
// the drawing rules; the canvas gets single precision, hence EXPECT_FLOAT_EQ.

#include "analysis/TransformCommands.h"
#include "app/Workbench.h"
#include "display/AxisCaption.h"
#include "display/DisplayCommands.h"
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
#include <string>
#include <vector>

namespace kemvo::test {
namespace {

using Kind = Stroke::Kind;

class ReadablePlot : public ::testing::Test {
protected:
    HeadlessPlatform platform;
    Workbench app{platform.platform()};
    ExperimentState &state = app.state();
    FormOption &options = app.form<FormOption>();

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

    void fixLimits(const char *xMin, const char *xMax, const char *yMin, const char *yMax) {
        options.Xauto.setValue(0);
        options.XminText.setText(xMin);
        options.XmaxText.setText(xMax);
        options.Yauto.setValue(0);
        options.YminText.setText(yMin);
        options.YmaxText.setText(yMax);
    }

    const std::vector<Stroke> &drawn() {
        return dynamic_cast<RecordingCanvas &>(app.form<FormPlot>().picture()).strokes();
    }
    std::vector<Stroke> drawnOf(Kind kind) {
        std::vector<Stroke> found;
        for (const Stroke &s : drawn())
            if (s.kind == kind)
                found.push_back(s);
        return found;
    }
    std::vector<std::string> texts() {
        std::vector<std::string> found;
        for (const Stroke &s : drawnOf(Kind::Text))
            found.push_back(s.text);
        return found;
    }
    bool hasText(const std::string &text) {
        std::vector<std::string> all = texts();
        return std::find(all.begin(), all.end(), text) != all.end();
    }
    Stroke textStroke(const std::string &text) {
        for (const Stroke &s : drawnOf(Kind::Text))
            if (s.text == text)
                return s;
        ADD_FAILURE() << "no text \"" << text << "\" drawn";
        Stroke none;
        none.kind = Kind::Text;
        return none;
    }
};

TEST_F(ReadablePlot, EveryGridLineCarriesItsValueOnItsAxis) {
    // The grid of -0.3..0.45 V and -4e-3..2e-3 A: vertical lines every 0.1125 V right of zero
    // (0.45 / round(4.5)) and every 0.1 V left of it, horizontal ones every 1e-3 A. The
    // margin of fixed limits is a fifth of the y range, 1.2e-3: x labels hang from
    // yMin - 1.5e-4; y labels stand at the left edge, which after the reversal of the x axis
    // is 1.2 xMax = 0.54.
    fixLimits("-0.3", "0.45", "-4e-3", "2e-3");
    options.CheckGrid.setValue(1);
    setCurve(1, {0.1, 0.2}, {-1e-3, 1e-3});
    DrawPlot(app);
    for (auto [text, x] : {std::pair{"0.1125", 0.1125},
                           {"0.225", 0.225},
                           {"0.3375", 0.3375},
                           {"-0.1", -0.1},
                           {"-0.2", -0.2}}) {
        Stroke label = textStroke(text);
        EXPECT_FLOAT_EQ(label.x1, x) << text;
        EXPECT_FLOAT_EQ(label.y1, -4e-3 - 1.2e-3 / 8) << text;
    }
    for (auto [text, y] :
         {std::pair{"-1E-3", -1e-3}, {"-2E-3", -2e-3}, {"-3E-3", -3e-3}, {"1E-3", 1e-3}}) {
        Stroke label = textStroke(text);
        EXPECT_FLOAT_EQ(label.x1, 0.54) << text;
        EXPECT_FLOAT_EQ(label.y1, y) << text;
    }
    // Zero is labelled once on each axis, with the axes.
    std::vector<std::string> all = texts();
    EXPECT_EQ(std::count(all.begin(), all.end(), "0"), 2);
}

TEST_F(ReadablePlot, AWideGridLabelsEveryNthLineSoThatLabelsDoNotCollide) {
    // 0..2 V: twenty lines of 0.1 V right of zero; at most six labels a side, so every
    // fourth line (ceil(20 / 6) = 4) carries its value.
    fixLimits("-0.2", "2", "-4e-3", "2e-3");
    options.CheckGrid.setValue(1);
    setCurve(1, {0.1, 0.2}, {-1e-3, 1e-3});
    DrawPlot(app);
    for (const char *text : {"0.4", "0.8", "1.2", "1.6"})
        EXPECT_TRUE(hasText(text)) << text;
    for (const char *text : {"0.1", "0.3", "0.5", "1.9"})
        EXPECT_FALSE(hasText(text)) << text;
}

TEST_F(ReadablePlot, OverlappedCurvesGetALegendInTheirLineStyles) {
    // Initial styles: curve 1 dots, 2 a line, 3 squares. The legend runs along the top edge
    // from 60 % of the width, 8 % a curve, each number beside its sample.
    const std::vector<double> xs{-0.2, 0.0, 0.2};
    setCurve(1, xs, {-1e-6, 2e-6, 3e-6});
    DrawPlot(app);
    EXPECT_FALSE(hasText("1")); // a single curve needs no legend
    const std::size_t pointsOfOneCurve = drawnOf(Kind::Point).size();

    setCurve(2, xs, {2e-6, 3e-6, 1e-6});
    setCurve(3, xs, {3e-6, 1e-6, 2e-6});
    DrawPlot(app);
    // Y auto: a = 1e-6, the top edge at yMax + a; x runs from 1.2 * 0.2 = 0.24 (left after
    // the reversal) to -0.24.
    for (int k = 1; k <= 3; ++k) {
        Stroke number = textStroke(std::to_string(k));
        EXPECT_FLOAT_EQ(number.x1, 0.24 - (0.6 + 0.08 * (k - 1)) * 0.48) << k;
        EXPECT_FLOAT_EQ(number.y1, state.yMax + 1e-6) << k;
    }
    // Samples: five more dots, a line, three more squares.
    EXPECT_EQ(drawnOf(Kind::Point).size(), pointsOfOneCurve + 5 + 1); // + curve 2's start
    std::vector<Stroke> lines = drawnOf(Kind::Line);
    ASSERT_EQ(lines.size(), 2u); // the zero line and the sample of curve 2
    EXPECT_FLOAT_EQ(lines[1].y1, lines[1].y2);
    EXPECT_EQ(drawnOf(Kind::Rectangle).size(), 1u + 3u + 3u); // frame, curve 3, its sample
}

TEST_F(ReadablePlot, FixedLimitsKeepTheFrameAndItsLabelsInViewAndCutTheCurves) {
    // -1e-3..1e-3: margin 4e-4, so top 1.4e-3 and bottom -1.6e-3 hold the frame, the x
    // labels at -1.05e-3 and the x caption at -1.4e-3.
    fixLimits("-0.3", "0.3", "-1e-3", "1e-3");
    options.linestyle3(0).select();
    // From inside to far above, back inside, then below the frame and out at the left.
    setCurve(1, {-0.2, -0.1, 0.0, 0.1, 0.2}, {0.0, 3e-3, 0.5e-3, -1e300, 0.0});
    DrawPlot(app);
    Stroke area = drawnOf(Kind::Scale).front();
    EXPECT_FLOAT_EQ(area.y1, 1.4e-3);
    EXPECT_FLOAT_EQ(area.y2, -1.6e-3);
    EXPECT_FLOAT_EQ(textStroke("-0.3").y1, -1.05e-3);
    EXPECT_FLOAT_EQ(textStroke("E /V").y1, -1.4e-3);
    // Every painted point and segment end lies in the frame.
    for (Kind kind : {Kind::Point, Kind::LineTo})
        for (const Stroke &s : drawnOf(kind)) {
            EXPECT_LE(std::fabs(s.x1), 0.3 + 1e-9);
            EXPECT_LE(std::fabs(s.y1), 1e-3 * (1 + 1e-6));
        }
    // The first segment leaves the frame at its top: y = 1e-3 a third of the way, x = -0.1667.
    std::vector<Stroke> segments = drawnOf(Kind::LineTo);
    ASSERT_FALSE(segments.empty());
    EXPECT_FLOAT_EQ(segments[0].x1, static_cast<float>(-0.2 + 0.1 / 3));
    EXPECT_FLOAT_EQ(segments[0].y1, 1e-3);
    EXPECT_TRUE(platform.messages.shown.empty()); // 1e300 lies outside: never painted
}

TEST_F(ReadablePlot, LimitBoxesStartFromTheRangeOnThePlot) {
    setCurve(1, {-0.25, 0.0, 0.35}, {-3.7e-6, 1e-6, 3.7e-6});
    DrawPlot(app); // Y auto rounds to -4e-6..4e-6
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
             {"current I", {}, 1, "I /A"},
             {"current I", {}, 1000, "I × 1000 /A"},
             {"current I", {}, -1, "-I /A"},
             {"current I", {Op::Derivative}, 1, "dI/dE /A/V"},
             {"current I", {Op::SemiDerivative}, 1, "semi-derivative of I /A/s^½"},
             {"current I", {Op::SemiIntegral}, 0.1, "semi-integral of I × 0.1 /A s^½"},
             {"current I",
              {Op::SemiIntegral, Op::Derivative},
              1,
              "d(semi-integral of I)/dE /A/V s^½"},
             {"current I", {Op::Integral, Op::Derivative}, 1, "d(∫I dE)/dE /A"},
             {"current I", {Op::Derivative, Op::Derivative}, 1, "d(dI/dE)/dE /A/V^2"},
             {"conductance Cond", {Op::Derivative}, 1, "dCond/dE /(1/Ohm)/V"},
             {"surface concentration C", {}, 1, "C /M"},
             {"typed", {Op::Derivative}, 1, ""},
         }) {
        CurveHistory history{c.operations, c.factor};
        EXPECT_EQ(yAxisCaption(c.quantity, history), c.caption);
    }
    EXPECT_EQ(xAxisCaption(1), "E /V");
    EXPECT_EQ(xAxisCaption(1000), "E /mV");
    EXPECT_EQ(xAxisCaption(-1), "-E /V");
}

TEST_F(ReadablePlot, CaptionsFollowTransformsAndScalingsUntilANewCurve) {
    setCurve(1, {-0.2, -0.1, 0.0, 0.1}, {1e-6, 2e-6, 3e-6, 2e-6});
    mnuDerivative_Click(app);
    EXPECT_EQ(drawnOf(Kind::Text).front().text, "dI/dE /A/V");
    scaleCurrentCurve(app, 1000);
    EXPECT_EQ(drawnOf(Kind::Text).front().text, "dI/dE × 1000 /A/V");
    scalePotential(app, 1000);
    EXPECT_TRUE(hasText("E /mV"));

    allocateCurveSlot(state, false); // a new simulation or import in column 1
    DrawPlot(app);
    EXPECT_EQ(drawnOf(Kind::Text).front().text, "I /A");
    EXPECT_TRUE(hasText("E /V"));
}

TEST_F(ReadablePlot, ExportPlotWritesTheDrawingAndKeepsTheWindowsPicture) {
    setCurve(1, {-0.2, 0.0, 0.2}, {1e-6, 3e-6, 2e-6});
    DrawPlot(app);
    const std::size_t shown = drawn().size();
    std::string written;
    RecordingCanvas file;
    platform.platform().writePicture = [&](const std::string &name, const auto &paint) {
        written = name;
        paint(file);
    };
    platform.files.answers = {"/somewhere/plot"};
    app.mainWindow().menu("mnuExportPlot").click();
    EXPECT_EQ(written, "/somewhere/plot.png"); // a name without a suffix becomes a PNG
    EXPECT_EQ(platform.files.lastFilter,
              "PNG image (*.png)|*.png|SVG drawing (*.svg)|*.svg|PDF document (*.pdf)|*.pdf");
    EXPECT_EQ(file.strokes().size(), shown);
    EXPECT_EQ(drawn().size(), shown);

    platform.files.answers = {"plot.pdf"};
    app.mainWindow().menu("mnuExportPlot").click();
    EXPECT_EQ(written, "plot.pdf");
    EXPECT_TRUE(platform.messages.shown.empty());
}

TEST_F(ReadablePlot, ExportPlotWithoutDataOrWriterSaysSo) {
    app.mainWindow().menu("mnuExportPlot").click();
    EXPECT_EQ(platform.messages.shown, std::vector<std::string>{"Error: No data!"});
    setCurve(1, {-0.2, 0.2}, {1e-6, 2e-6});
    platform.files.answers = {"plot.png"};
    app.mainWindow().menu("mnuExportPlot").click();
    EXPECT_EQ(platform.messages.shown.back(), "No picture files can be written here");
}

} // namespace
} // namespace kemvo::test
