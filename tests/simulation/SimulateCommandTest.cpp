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

const std::string kPrefix = "Analytical simulation Error: ";
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

TEST(SimulateCommand, DefaultsGiveARandlesSevcikReductionPeakInBothModes) {
    for (int digital : {1, 0}) {
        Bench bench(digital);
        bench.click("mnuSimulate");
        EXPECT_EQ(bench.messages(), std::vector<std::string>{});
        EXPECT_EQ(bench.app.state().firstPoint, 1);
        EXPECT_EQ(bench.app.state().lastPoint, 121);
        double lowest = 0;
        for (int i = 1; i <= 121; ++i) {
            ASSERT_EQ(bench.curve(i), bench.total(i));
            lowest = std::min(lowest, bench.curve(i));
        }
        // Randles-Sevcik 8.5e-5 A for 1 mM (9.996e-4 M after pre-equilibration), negative:
        // 2 % for either mode's discretisation on the 5 mV grid.
        EXPECT_NEAR(lowest, -8.49e-5, 0.02 * 8.49e-5) << "digital " << digital;
        EXPECT_TRUE(bench.menusEnabled());
    }
}

TEST(SimulateCommand, AnalyticalSweepAtACylinderIsRefusedAndNothingChanges) {
    // The planar sweep plus a steady term does not describe a cylinder, which has no steady
    // state: the closed form is refused before anything is computed.
    Bench bench(0);
    bench.click("mnuSimulate");
    const double before = bench.total(60);
    bench.app.control<OptionButton>("FormExpr", "optElectrode", 5).select();
    bench.type("FormExpr", "Estep", "0.001");
    bench.click("mnuSimulate");
    EXPECT_EQ(bench.messages(),
              std::vector<std::string>{"Analytical simulation Error: Linear sweep and cyclic "
                                       "voltammetry has no closed form on the (Micro)Cylindrical! "
                                       "Tick the digital simulation or choose another electrode."});
    EXPECT_EQ(bench.app.state().pointCount, 121);
    EXPECT_EQ(bench.total(60), before);
}

TEST(SimulateCommand, FineGridBoxReachesTheEngine) {
    // The default sweep (5 mV, 10 mV/s) on the fine grid: the true linear sweep, whose peak is
    // Randles-Sevcik, 0.44629 n F A C sqrt(nFvD/RT) for 9.996e-4 M after pre-equilibration,
    // within 0.2 % (the peak between two 5 mV points); the standard grid's staircase gives
    // another number.
    const double randlesSevcik =
        0.44629 * 96.4846 * 9.996e-4 * std::sqrt(96484.6 / 8.31441 / 298.14 * 0.01 * 1e-5);
    auto lowest = [randlesSevcik](Bench &bench) {
        bench.click("mnuSimulate");
        double low = 0;
        for (int i = 1; i <= bench.app.state().pointCount; ++i)
            low = std::min(low, bench.total(i));
        return -low / randlesSevcik;
    };
    Bench standard, fine;
    fine.app.control<CheckBox>("FormTech", "CheckFine").setValue(1);
    const double onFine = lowest(fine);
    EXPECT_NEAR(onFine, 1.0, 0.002);
    EXPECT_NE(onFine, lowest(standard));
}

TEST(SimulateCommand, MoreThan4000PointsFailButTheMenusAreEnabled) {
    Bench bench;
    bench.click("mnuSimulate");
    bench.type("FormExpr", "Estep", "1e-4"); // 6001 points
    bench.click("mnuSimulate");
    EXPECT_EQ(bench.messages(),
              std::vector<std::string>{kPrefix + "Subscript out of range" + kTail});
    EXPECT_EQ(bench.app.state().pointCount, 6001);
    EXPECT_EQ(bench.app.state().lastPoint, 121); // from the run before
    EXPECT_TRUE(bench.menusEnabled());

    // Failing before any curve exists, the plot then finds nothing to draw.
    Bench first;
    first.type("FormExpr", "Estep", "1e-4");
    first.click("mnuSimulate");
    EXPECT_EQ(
        first.messages(),
        (std::vector<std::string>{kPrefix + "Subscript out of range" + kTail, "Error: No data!"}));
    EXPECT_TRUE(first.menusEnabled());
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
    EXPECT_NE(derivative, 1000 * bench.total(60));
    bench.click("mnuPlot");
    EXPECT_EQ(bench.curve(60), derivative);

    bench.show("conductance Cond");
    bench.click("mnuPlot");
    // kappa = 0.01 M * 100 with no surface concentrations after a closed-form run, A/L = 1.
    EXPECT_DOUBLE_EQ(bench.curve(60), 1.0);
    bench.show("current I");
    bench.click("mnuPlot");
    EXPECT_EQ(bench.curve(60), bench.total(60));
}

TEST(PlotRefresh, UnreadableDistanceIsReportedByItsField) {
    Bench bench;
    bench.click("mnuSimulate");
    bench.type("FormExpr", "TextDis", "abc");
    bench.show("resistance R");
    const double before = bench.curve(60);
    EXPECT_THROW(bench.click("mnuPlot"), RuntimeError);
    EXPECT_EQ(bench.curve(60), before);

    // Inside a simulation the simulation's report names it; the refresh that follows fails
    // in the same way, and the menus stay enabled.
    EXPECT_THROW(bench.click("mnuSimulate"), RuntimeError);
    ASSERT_FALSE(bench.messages().empty());
    EXPECT_EQ(bench.messages().back(),
              kPrefix + "Dis (cm): Type mismatch: \"abc\" is not a number" + kTail);
    EXPECT_TRUE(bench.menusEnabled());
}

} // namespace
} // namespace kemvo
