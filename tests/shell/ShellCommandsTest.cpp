#include "app/Workbench.h"
#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kemvo;

namespace {

struct ShellTest : ::testing::Test {
    HeadlessPlatform platform;
    Workbench app{platform.platform()};
    int refreshes = 0;

    void SetUp() override {
        app.drawPlotHook = [this] { ++refreshes; };
    }
    void click(const std::string &menu) { app.mainWindow().menu(menu).click(); }

    // A curve store holding three curves over 5 points: potential -0.1 i, curve k = k * i.
    void fillCurves(int points) {
        app.state().pointCount = points;
        app.state().curveCount = 3;
        app.state().currentCurve = 2;
        for (int i = 1; i <= std::min(points, kMaxPoints); ++i) {
            app.store().potential(i) = -0.1 * i;
            for (int k = 1; k <= 3; ++k)
                app.store().curves(i, k) = k * i;
        }
    }
};

} // namespace

TEST_F(ShellTest, StartsWithDisplayAndAnalysisDisabled) {
    MainWindowModel &window = app.mainWindow();
    EXPECT_EQ(window.caption(), "Kemvo 3.1 for Windows");
    for (const char *name : {"mnuFile", "mnuInput", "mnuRun", "mnuHelp"})
        EXPECT_TRUE(window.menu(name).enabled()) << name;
    EXPECT_FALSE(window.menu("mnuDisplay").enabled());
    EXPECT_FALSE(window.menu("mnuData").enabled());
    EXPECT_FALSE(window.menu("mnuNextCurve").reachable());
    EXPECT_FALSE(window.menu("mnu1000X").reachable());
    window.enableDisplayAndAnalysis();
    EXPECT_TRUE(window.menu("mnu1000X").reachable());
    EXPECT_EQ(app.state().electrode, 1);
    EXPECT_EQ(app.state().electrons[3], 1);
    EXPECT_EQ(app.state().stoich[1], 1);
}

TEST_F(ShellTest, MenuCaptionsKeepTheirAccessKeys) {
    std::vector<std::string> bar;
    for (MenuEntry *title : app.mainWindow().menuBar())
        bar.push_back(title->caption());
    EXPECT_EQ(bar, (std::vector<std::string>{"&File", "&Input", "&Run", "&Display", "&Analysis",
                                             "&Help"}));
    MainWindowModel &window = app.mainWindow();
    EXPECT_EQ(window.menu("mnuMechamism").caption(), "&Mechamism...");
    EXPECT_EQ(window.menu("mnuManualSeparate").caption(), "M&anual Seprarte");
    EXPECT_EQ(window.menu("mnuSemiInte").caption(), "S&emi-intergrate");
    EXPECT_TRUE(window.menu("mnuBar52").isSeparator());
    EXPECT_EQ(window.menu("mnuYData").children().size(), 5u);
}

TEST_F(ShellTest, NextCurveCyclesAndReports) {
    app.state().curveCount = 3;
    app.state().currentCurve = 2;
    click("mnuNextCurve");
    click("mnuNextCurve");
    EXPECT_EQ(app.state().currentCurve, 1);
    EXPECT_TRUE(app.formResult().visible());
    EXPECT_EQ(app.formResult().lines(),
              (std::vector<std::string>{"Curve Number is  3 ", "Curve Number is  1 "}));
    EXPECT_EQ(refreshes, 0); // Next Curve does not replot

    app.state().curveCount = 1;
    click("mnuNextCurve");
    EXPECT_EQ(app.formResult().lines().back(), "Curve Number is  1 ");
}

TEST_F(ShellTest, AboutPrintsItsBlockAgainBelowTheFirst) {
    click("mnuAbout");
    click("mnuAbout");
    const auto &lines = app.formAbout().lines();
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[0], std::string(53, '*'));
    EXPECT_EQ(lines[1], "Kemvo         Version 3.1");
    EXPECT_EQ(lines[3], "Please read document kemvodoc.htm for help");
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[6], std::string(54, '*'));
    EXPECT_EQ(lines[7], lines[0]);
}

TEST_F(ShellTest, ExitEndsTheApplication) {
    click("mnuExit");
    EXPECT_TRUE(platform.quitRequested);
}

TEST_F(ShellTest, XScalingActsOnTheSharedAxisAndRefreshes) {
    fillCurves(5);
    click("mnu1000X");
    EXPECT_DOUBLE_EQ(app.store().potential(5), -500);
    click("mnu0001X");
    for (int i = 1; i <= 5; ++i)
        EXPECT_NEAR(app.store().potential(i), -0.1 * i, 1e-15);
    click("mnuMinusX");
    click("mnuMinusX");
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(app.store().potential(i), -0.1 * i); // a sign change twice is exact
    click("mnu10X");
    click("mnu01X");
    EXPECT_NEAR(app.store().potential(3), -0.3, 1e-15);
    EXPECT_EQ(refreshes, 6);
}

TEST_F(ShellTest, YScalingChangesOnlyTheCurrentCurve) {
    fillCurves(5);
    click("mnu1000Y");
    click("mnuMinusY");
    for (int i = 1; i <= 5; ++i) {
        EXPECT_DOUBLE_EQ(app.store().curves(i, 2), -2000.0 * i);
        EXPECT_EQ(app.store().curves(i, 1), i);
        EXPECT_EQ(app.store().curves(i, 3), 3 * i);
    }
    click("mnu0001Y");
    click("mnu10Y");
    click("mnu01Y");
    EXPECT_NEAR(app.store().curves(4, 2), -8.0, 1e-12);
}

TEST_F(ShellTest, ScalingStopsAtTheLastPointOfTheArrays) {
    // A failed simulation can leave a point count past the arrays' end.
    fillCurves(4500);
    EXPECT_NO_THROW(click("mnu10X"));
    EXPECT_NO_THROW(click("mnu10Y"));
    EXPECT_DOUBLE_EQ(app.store().potential(kMaxPoints), -4000.0);
    EXPECT_DOUBLE_EQ(app.store().curves(kMaxPoints, 2), 80000.0);
}

// 1000 Y applied 110 times would pass the largest double (1e308) at the 103rd; 0.001 X applied
// again and again would set every potential to 0 (the smallest normal double is 2.2e-308).
// Each such scaling is refused with a message, and the curve stays as the last good one.
TEST_F(ShellTest, ScalingThatWouldLoseTheValuesIsRefused) {
    fillCurves(5);
    int refused = 0;
    for (int k = 0; k < 110; ++k) {
        std::size_t shown = platform.messages.shown.size();
        click("mnu1000Y");
        refused += platform.messages.shown.size() > shown;
    }
    EXPECT_EQ(refused, 110 - 102);
    EXPECT_EQ(platform.messages.shown.back(),
              "Y Data Error: the values would become too large to hold; nothing was changed");
    for (int i = 1; i <= 5; ++i)
        EXPECT_TRUE(std::isfinite(app.store().curves(i, 2)) && app.store().curves(i, 2) > 1e300);

    for (int k = 0; k < 120; ++k)
        click("mnu0001X");
    EXPECT_EQ(platform.messages.shown.back(),
              "X Data Error: the values would become too small to hold; nothing was changed");
    for (int i = 2; i <= 5; ++i)
        EXPECT_LT(app.store().potential(i), app.store().potential(i - 1)); // still an axis
}
