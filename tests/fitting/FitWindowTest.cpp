// The fit window: which points of a measured curve the fit weighs, on hand-made axes whose
// cycles are counted by hand, and a fit of one cycle of three that the others cannot disturb.

#include "fitting/FitWindow.h"
#include "app/Workbench.h"
#include "fitting/SimulationObjective.h"
#include "setup/FormExpr.h"
#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace kemvo {
namespace {

namespace fs = std::filesystem;

TEST(FitWindow, PointsOfPotentialsAndCyclesCountedByHand) {
    // The axis: 0.3 0.4 0.5 0.6 0.7 0.6 0.5 0.4 0.3 0.2 0.3 | 0.4 ... 0.2 0.3: 21 points, the
    // second cycle starting on point 11 (0.3 V going up again).
    std::vector<double> axis = {0.3, 0.4, 0.5, 0.6, 0.7, 0.6, 0.5, 0.4, 0.3, 0.2, 0.3,
                                0.4, 0.5, 0.6, 0.7, 0.6, 0.5, 0.4, 0.3, 0.2, 0.3};
    struct Case {
        FitWindow window;
        std::size_t first, last, count; // 0-based first and last point, and how many
    };
    const Case cases[] = {
        {{}, 0, 20, 21},
        {{std::nullopt, std::nullopt, 2, 2}, 10, 20, 11},
        {{std::nullopt, std::nullopt, 1, 1}, 0, 10, 11},
        {{0.45, 0.65, std::nullopt, std::nullopt}, 2, 16, 8}, // 0.5 and 0.6 on four sweeps
        {{0.65, 0.45, 2, std::nullopt}, 12, 16, 4},           // either order of the ends
        {{std::nullopt, 0.25, std::nullopt, std::nullopt}, 9, 19, 2},
    };
    for (const Case &c : cases) {
        const std::vector<std::size_t> points = fitWindowPoints(axis, c.window, 0.05);
        ASSERT_EQ(points.size(), c.count);
        EXPECT_EQ(points.front(), c.first);
        EXPECT_EQ(points.back(), c.last);
    }
    // A cycle beyond the curve's and an empty window are refused.
    EXPECT_THROW(fitWindowPoints(axis, {std::nullopt, std::nullopt, 3, 3}, 0.05), FitRefusal);
    EXPECT_THROW(fitWindowPoints(axis, {0.91, 0.99, std::nullopt, std::nullopt}, 0.05), FitRefusal);
    EXPECT_THROW(fitWindowPoints(axis, {std::nullopt, std::nullopt, 2, 1}, 0.05), FitRefusal);
    EXPECT_EQ(fitWindowLine(11, 21, {std::nullopt, std::nullopt, 2, 2}),
              "Points fitted = 11 of 21 (cycles 2 to 2)");
    EXPECT_EQ(fitWindowLine(8, 21, {0.65, 0.45, std::nullopt, std::nullopt}),
              "Points fitted = 8 of 21 (from 0.45 V to 0.65 V)");
}

class Bench {
public:
    Bench() {
        form.CheckPreEqu.setValue(0);
        form.CheckFitted(fitConcentration(1)).setValue(0);
        form.Option12.select();
        form.TextCycles.setText("3");
        form.Estart.setText("0.3");
        form.Eend.setText("-0.2");
        form.V.setText("0.1");
        form.ks(1).setText("0.01"); // quasi-reversible at 0.1 V/s, E0 = 0.1 V
    }
    ~Bench() { fs::remove(file_); }
    void click(const char *menu) { app.mainWindow().menu(menu).click(); }
    void measureThroughAFile() {
        click("mnuSimulate");
        platform.files.answers.push_back(file_);
        click("mnuExport");
        platform.files.answers.push_back(file_);
        click("mnuImport");
    }
    void fitKsAndE0Of(const char *cycle) {
        form.ks(1).setText("0.013");
        form.Eze(1).setText("0.11");
        form.CheckFitted(fitKs(1)).setValue(1);
        form.CheckFitted(fitE0(1)).setValue(1);
        form.TextFitCycleFrom.setText(cycle);
        form.TextFitCycleTo.setText(cycle);
        click("mnuAutoFit");
    }
    const std::vector<std::string> &report() { return app.formResult().lines(); }

    HeadlessPlatform platform;
    Workbench app{platform.platform()};
    FormExpr &form = app.form<FormExpr>();

private:
    std::string file_ =
        (fs::temp_directory_path() / ("kemvo-window-" + std::to_string(::getpid()) + ".csv"))
            .string();
};

TEST(FitWindow, OneCycleOfThreeIsFittedAloneAndTheOthersChangeNothing) {
    // Three noise-free cycles of 101 points a sweep (606 points, each vertex listed twice as
    // the programme lists it); cycle 2 runs from the second copy of 0.3 V, point 203, to that
    // of the next return, point 405: 203 points.
    Bench clean;
    clean.measureThroughAFile();
    ASSERT_EQ(clean.app.state().pointCount, 606);
    clean.fitKsAndE0Of("2");
    ASSERT_TRUE(clean.platform.messages.shown.empty()) << clean.platform.messages.shown.front();
    const ExperimentState &s = clean.app.state();
    // The file keeps 15 digits and the fit converges on the change of its parameters: the
    // values that made the curve, to 1e-6.
    EXPECT_NEAR(s.ks[1], 0.01, 1e-6 * 0.01);
    EXPECT_NEAR(s.e0[1], 0.1, 1e-6 * 0.1);
    bool stated = false;
    for (const std::string &line : clean.report())
        stated = stated || line == "Points fitted = 203 of 606 (cycles 2 to 2)";
    EXPECT_TRUE(stated);
    ASSERT_EQ(s.unweighted.size(), 606u); // the plot draws the other cycles grey
    EXPECT_TRUE(s.unweighted[0] && !s.unweighted[300] && s.unweighted[605]);

    // The same fit with cycles 1 and 3 of the measured curve spoilt gives the same values.
    Bench spoilt;
    spoilt.measureThroughAFile();
    for (int i = 1; i <= 606; ++i)
        if (i < 203 || i > 405)
            spoilt.app.store().curves(i, spoilt.app.state().currentCurve) *= 3;
    spoilt.fitKsAndE0Of("2");
    EXPECT_EQ(spoilt.app.state().ks[1], s.ks[1]);
    EXPECT_EQ(spoilt.app.state().e0[1], s.e0[1]);
}

} // namespace
} // namespace kemvo
