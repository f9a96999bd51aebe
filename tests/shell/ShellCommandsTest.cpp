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

    // Three curves over `points` points: potential -0.1 i, curve k = k * i.
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

// An X entry multiplies the potential axis all curves share, a Y entry the current curve
// only; each replots.
TEST_F(ShellTest, ScalingMultipliesTheSharedAxisOrTheCurrentCurveAndReplots) {
    const std::pair<std::string, double> entries[] = {
        {"mnu1000X", 1000},  {"mnu10X", 10},     {"mnu01X", 0.1}, {"mnu0001X", 0.001},
        {"mnuMinusX", -1},   {"mnu1000Y", 1000}, {"mnu10Y", 10},  {"mnu01Y", 0.1},
        {"mnu0001Y", 0.001}, {"mnuMinusY", -1}};
    for (const auto &[menu, factor] : entries) {
        const double x = menu.ends_with('X') ? factor : 1;
        const double y = menu.ends_with('Y') ? factor : 1;
        SCOPED_TRACE(menu);
        fillCurves(5);
        refreshes = 0;
        click(menu);
        // A product rounds once: 1e-12 of the value is ample.
        for (int i = 1; i <= 5; ++i) {
            EXPECT_NEAR(app.store().potential(i), -0.1 * i * x, 1e-12 * std::fabs(0.1 * i * x));
            EXPECT_NEAR(app.store().curves(i, 2), 2.0 * i * y, 1e-12 * std::fabs(2 * i * y));
            EXPECT_EQ(app.store().curves(i, 1), i);
            EXPECT_EQ(app.store().curves(i, 3), 3 * i);
        }
        EXPECT_EQ(refreshes, 1);
    }
}

TEST_F(ShellTest, ScalingStopsAtTheLastPointOfTheArrays) {
    // A failed simulation can leave a point count past the arrays' end.
    fillCurves(4500);
    EXPECT_NO_THROW(click("mnu10X"));
    EXPECT_NO_THROW(click("mnu10Y"));
    EXPECT_DOUBLE_EQ(app.store().potential(kMaxPoints), -4000.0);
    EXPECT_DOUBLE_EQ(app.store().curves(kMaxPoints, 2), 80000.0);
}

// 1000 Y on a current of 2e306 would pass the largest double (1.8e308); 0.001 X on a potential
// of 1e-306 would leave a subnormal number below the smallest normal one (2.2e-308), which has
// lost its digits. Each is refused with a message, and the curve stays as it was.
TEST_F(ShellTest, ScalingThatWouldLoseTheValuesIsRefused) {
    fillCurves(5);
    app.store().curves(3, 2) = 2e306;
    click("mnu1000Y");
    EXPECT_EQ(platform.messages.shown.back(),
              "Y Data Error: the values would become too large to hold; nothing was changed");
    EXPECT_EQ(app.store().curves(3, 2), 2e306);
    EXPECT_EQ(app.store().curves(4, 2), 8);
    app.store().potential(3) = -1e-306;
    click("mnu0001X");
    EXPECT_EQ(platform.messages.shown.back(),
              "X Data Error: the values would become too small to hold; nothing was changed");
    EXPECT_EQ(app.store().potential(3), -1e-306);
    EXPECT_EQ(app.store().potential(4), -0.4);
}
