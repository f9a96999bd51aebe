// "&Simulate" from the menu, with the windows as the user leaves them, and the plot refresh
// that keeps the results of other commands.

#include "simulation/SimulationCommands.h"

#include "app/Workbench.h"
#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace kemvo {
namespace {

const std::string kPrefix = "Digital simulation Error: ";
const std::string kTail = "! Please try again by other initial values.";

struct Bench {
    HeadlessPlatform platform;
    kemvo::Workbench app{platform.platform()};

    explicit Bench(int digital = 1) {
        app.control<CheckBox>("FormTech", "CheckDigital").setValue(digital);
    }
    void type(const char *window, const char *box, const std::string &text) {
        app.control<TextBox>(window, box).setText(text);
    }
    void click(const char *entry) { app.mainWindow().menu(entry).click(); }
    void show(const char *quantity) {
        app.control<ComboBox>("formOption", "ComboY").setText(quantity);
    }
    double curve(int i) { return app.store().curves(i, 1); }
    double total(int i) { return app.store().reactionCurrent(i, app.state().chargeCount + 1); }
    const std::vector<std::string> &messages() const { return platform.messages.shown; }
    bool menusEnabled() {
        return app.mainWindow().menu("mnuDisplay").enabled() &&
               app.mainWindow().menu("mnuData").enabled();
    }
};

TEST(SimulateCommand, DefaultsGiveARandlesSevcikReductionPeakInEveryMode) {
    // Randles-Sevcik, 0.44629 n F A C sqrt(nFvD/RT) for 9.996e-4 M after pre-equilibration,
    // negative: 2 % for the closed form and the standard grid's staircase on 5 mV steps; the
    // fine grid (its box ticked) follows the true linear sweep, within 0.2 % (the peak between
    // two 5 mV points).
    const double randlesSevcik =
        0.44629 * 96.4846 * 9.996e-4 * std::sqrt(96484.6 / 8.31441 / 298.14 * 0.01 * 1e-5);
    struct Case {
        int digital, fine;
        double tolerance;
    } cases[] = {{1, 0, 0.02}, {0, 0, 0.02}, {1, 1, 0.002}};
    for (const Case &c : cases) {
        Bench bench(c.digital);
        bench.app.control<CheckBox>("FormTech", "CheckFine").setValue(c.fine);
        bench.click("mnuSimulate");
        EXPECT_EQ(bench.messages(), std::vector<std::string>{});
        EXPECT_EQ(bench.app.state().firstPoint, 1);
        EXPECT_EQ(bench.app.state().lastPoint, 121);
        double lowest = 0;
        for (int i = 1; i <= 121; ++i) {
            ASSERT_EQ(bench.curve(i), bench.total(i));
            lowest = std::min(lowest, bench.curve(i));
        }
        EXPECT_NEAR(-lowest / randlesSevcik, 1.0, c.tolerance) << c.digital << c.fine;
        EXPECT_TRUE(bench.menusEnabled());
    }
}

TEST(SimulateCommand, AnAnalyticalRunWithoutClosedFormIsRefusedAndNothingChanges) {
    Bench bench(0);
    bench.click("mnuSimulate"); // a sweep to keep
    const double kept = bench.total(60);
    const std::pair<int, int> choices[] = {{5, 7}, {3, 4}, {1, 5}}; // technique, electrode
    for (auto [technique, electrode] : choices) {
        bench.app.control<OptionButton>("FormTech", "optTech", technique).select();
        bench.app.control<OptionButton>("FormExpr", "optElectrode", electrode).select();
        bench.click("mnuSimulate");
    }
    const std::string tick = "! Tick the digital simulation or choose another electrode.";
    EXPECT_EQ(bench.messages(),
              (std::vector<std::string>{
                  "Analytical simulation Error: Square wave voltammetry has no closed form on "
                  "the Thin film! Choose another technique or electrode.",
                  "Analytical simulation Error: Normal pulse voltammetry has no closed form on "
                  "the Microdisc" +
                      tick,
                  "Analytical simulation Error: Linear sweep and cyclic voltammetry has no "
                  "closed form on the (Micro)Cylindrical" +
                      tick}));
    EXPECT_EQ(bench.app.state().pointCount, 121);
    EXPECT_EQ(bench.total(60), kept);
}

// A run refused before it computes says so once, naming what to change: no "Error: No data!",
// no menus as if data existed, nothing computed.
TEST(SimulateCommand, RunsBeyondTheEnginesReachAreRefusedBeforeTheyCompute) {
    struct Case {
        void (*choose)(Bench &);
        std::string message;
    } cases[] = {
        {[](Bench &b) { b.type("FormExpr", "Estep", "1e-4"); }, // 6001 points
         "Digital simulation Error: the potential programme needs 6001 points, more than 4000 "
         "points: make E step larger, the range from E start to E end narrower, or choose fewer "
         "cycles"},
        // The digital grid has no film and no flow (the film is chosen with the box unticked).
        {[](Bench &b) {
             b.app.control<CheckBox>("FormTech", "CheckDigital").setValue(0);
             b.app.control<OptionButton>("FormExpr", "optElectrode", 7).select();
             b.app.control<CheckBox>("FormTech", "CheckDigital").setValue(1);
         },
         "Digital simulation Error: the digital simulation has no thin film electrode: untick "
         "\"digital simulation\" to use the closed form, or choose another electrode"},
        // The microdisc takes 3 time steps to each 5 mV of a sweep: E end typed in mV, 3000 V
        // in 1 V steps, is 3001 points of 200 steps each.
        {[](Bench &b) {
             b.app.control<OptionButton>("FormExpr", "optElectrode", 4).select();
             b.type("FormExpr", "Eend", "-3000");
             b.type("FormExpr", "Estep", "1");
         },
         "Digital simulation Error: the run needs 1800015 time steps (15 to each interval at one "
         "potential, 3 to each 5 mV of a sweep), more than 1000000: make the range from E start "
         "to E end narrower or choose fewer cycles"},
    };
    for (const Case &c : cases) {
        Bench bench;
        c.choose(bench);
        bench.click("mnuSimulate");
        EXPECT_EQ(bench.messages(), std::vector<std::string>{c.message + kTail});
        EXPECT_FALSE(bench.menusEnabled());
        EXPECT_EQ(bench.app.state().pointCount, 0);
    }
}

// A run that fails half-way, or that the user stops, leaves every curve as it was; the refresh
// and the menus still follow a failure.
TEST(SimulateCommand, AFailedOrStoppedRunKeepsTheCurves) {
    Bench bench;
    bench.click("mnuSimulate");
    auto snapshot = [&bench] { // the point counts, then each point's potential and curve
        std::vector<double> values{1.0 * bench.app.state().pointCount,
                                   1.0 * bench.app.state().lastPoint};
        for (int i = 1; i <= 121; ++i)
            values.insert(values.end(), {bench.app.store().potential(i), bench.curve(i)});
        return values;
    };
    const std::vector<double> before = snapshot();

    bench.type("FormExpr", "Estep", "0.01"); // a new programme of 61 points whose kinetics
    bench.app.control<TextBox>("FormExpr", "Eze", 1).setText("1e6"); // overflow at once
    bench.click("mnuSimulate");
    ASSERT_EQ(bench.messages().size(), 1u);
    EXPECT_EQ(bench.messages()[0], "Digital simulation Error: Overflow" + kTail);
    EXPECT_EQ(snapshot(), before);

    bench.app.control<TextBox>("FormExpr", "Eze", 1).setText("0.1");
    bench.platform.progress.polls = 0;
    bench.platform.progress.stopAtPoll = 30;
    bench.click("mnuSimulate");
    EXPECT_EQ(bench.messages().back(), "Simulation stopped: the curves are as they were.")
        << testing::PrintToString(bench.messages());
    EXPECT_EQ(bench.platform.progress.polls, 30);
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(bench.menusEnabled());

    // The microdisc's own simulation polls at every point too (it once ran to its end).
    bench.app.control<OptionButton>("FormExpr", "optElectrode", 4).select();
    bench.platform.progress.polls = 0;
    bench.click("mnuSimulate");
    EXPECT_EQ(bench.messages().back(), "Simulation stopped: the curves are as they were.");
    EXPECT_EQ(bench.platform.progress.polls, 30);
    EXPECT_EQ(snapshot(), before);
}

// Each potential is the decimal E start - k E step: 0.3 - 4 x 0.005 is 0.28, not the
// 0.27999999999999997 of the sum in doubles.
TEST(SimulateCommand, ThePotentialProgrammeIsExactToTheDecimal) {
    for (int digital : {0, 1}) {
        Bench bench(digital);
        bench.click("mnuSimulate");
        for (int k = 0; k < 121; ++k)
            EXPECT_EQ(bench.app.store().potential(k + 1),
                      std::stod(std::to_string(300 - 5 * k) + "e-3"))
                << k;
    }
}

TEST(SimulateCommand, AnUnreadableStepEndsTheCommandBeforeItComputes) {
    Bench bench;
    bench.type("FormExpr", "Estep", "abc");
    bench.click("mnuSimulate");
    ASSERT_EQ(bench.messages().size(), 1u);
    EXPECT_EQ(bench.messages()[0].find(kPrefix), std::string::npos);
    EXPECT_EQ(bench.app.state().pointCount, 0);
    EXPECT_FALSE(bench.menusEnabled());
}

TEST(SimulateCommand, OverlapFillsFiveColumnsThenStartsAgain) {
    Bench bench;
    bench.app.control<CheckBox>("formOption", "overlap").setValue(1);
    for (int expected : {1, 2, 3, 4, 5, 1, 2}) {
        bench.click("mnuSimulate");
        EXPECT_EQ(bench.app.state().simSlot, expected);
        EXPECT_EQ(bench.app.state().currentCurve, expected);
        EXPECT_EQ(bench.app.state().curveCount, expected);
    }
}

TEST(PlotRefresh, CommandResultsStayUntilAnotherQuantityIsChosen) {
    Bench bench(0);
    bench.click("mnuSimulate");
    bench.click("mnu1000Y");
    EXPECT_DOUBLE_EQ(bench.curve(60), 1000 * bench.total(60));
    bench.click("mnuDerivative");
    const double derivative = bench.curve(60);
    bench.click("mnuPlot");
    EXPECT_EQ(bench.curve(60), derivative);

    bench.show("conductance Cond"); // another quantity, then the current again
    bench.click("mnuPlot");
    bench.show("current I");
    bench.click("mnuPlot");
    EXPECT_EQ(bench.curve(60), bench.total(60));
}

// The surface concentrations take the columns of the overlapped curves while they are shown;
// choosing the current again brings every curve back as it was (the last simulation once
// overwrote them), also one transformed or chosen with Next Curve since.
TEST(PlotRefresh, OverlappedCurvesComeBackAfterTheConcentrations) {
    Bench bench(0);
    bench.app.control<CheckBox>("formOption", "overlap").setValue(1);
    for (const char *ks : {"1e-2", "1e-3", "1e-4"}) {
        bench.app.control<TextBox>("FormExpr", "ks", 1).setText(ks);
        bench.click("mnuSimulate");
    }
    bench.click("mnuDerivative"); // curve 3
    bench.click("mnuNextCurve");  // curve 1 is the current one
    std::vector<double> before;
    for (int k = 1; k <= 3; ++k)
        for (int i = 1; i <= bench.app.state().pointCount; i += 7)
            before.push_back(bench.app.store().curves(i, k));
    const ExperimentState state = bench.app.state();

    bench.show("surface concentration C");
    bench.click("mnuPlot");
    ASSERT_EQ(bench.app.state().curveCount, 2); // A and B
    bench.show("current I");
    bench.click("mnuPlot");
    std::vector<double> after;
    for (int k = 1; k <= 3; ++k)
        for (int i = 1; i <= bench.app.state().pointCount; i += 7)
            after.push_back(bench.app.store().curves(i, k));
    EXPECT_EQ(after, before);
    EXPECT_EQ(bench.app.state().curveCount, 3);
    EXPECT_EQ(bench.app.state().currentCurve, state.currentCurve);
    EXPECT_EQ(bench.app.state().curveHistory[3].operations,
              std::vector<CurveOperation>{CurveOperation::Derivative});
}

TEST(PlotRefresh, UnreadableDistanceIsReportedByItsField) {
    Bench bench;
    bench.click("mnuSimulate");
    bench.type("FormExpr", "TextDis", "abc");
    bench.show("resistance R");
    const double before = bench.curve(60);
    EXPECT_THROW(bench.click("mnuPlot"), RuntimeError);
    EXPECT_EQ(bench.curve(60), before);

    // Inside a simulation the simulation's report names it, once: the failed run refreshes
    // nothing, and the menus stay enabled.
    const std::size_t shown = bench.messages().size();
    EXPECT_NO_THROW(bench.click("mnuSimulate"));
    ASSERT_EQ(bench.messages().size(), shown + 1);
    EXPECT_EQ(bench.messages().back(),
              kPrefix + "Dis (cm): Type mismatch: \"abc\" is not a number" + kTail);
    EXPECT_EQ(bench.curve(60), before);
    EXPECT_TRUE(bench.menusEnabled());
}

} // namespace
} // namespace kemvo
