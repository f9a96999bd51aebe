#include "analysis/CurveTransforms.h"
#include "analysis/TransformCommands.h"

#include "app/Workbench.h"
#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace kemvo {
namespace {

// y(i) on n points of a potential axis of step h [V] from 0.3 V (downwards when h < 0) in
// column `curve` (the current curve); the other columns hold 100 k and reactionCurrent -k.
struct Bench {
    HeadlessPlatform platform;
    kemvo::Workbench app{platform.platform()};

    Bench(int n, double h, int curve, const std::function<double(int)> &y) {
        ExperimentState &s = app.state();
        s.pointCount = n;
        s.curveCount = 3;
        s.currentCurve = static_cast<Int16>(curve);
        for (int i = 1; i <= n; ++i) {
            app.store().potential(i) = 0.3 + (i - 1) * h;
            for (int k = 1; k <= 3; ++k) {
                app.store().curves(i, k) = k == curve ? y(i) : 100.0 * k;
                app.store().reactionCurrent(i, k) = -1.0 * k;
            }
        }
    }
    double y(int i) { return app.store().curves(i, app.state().currentCurve); }
    void click(const char *entry) { app.mainWindow().menu(entry).click(); }
};

TEST(IntegrateAndDifferentiate, AgainstHandValues) {
    // Rectangle sums including the point itself, also kept in reactionCurrent.
    Bench sums(5, -0.01, 3, [](int i) { return double(i); });
    sums.click("mnuIntegral");
    const double expectedSums[] = {0.01, 0.03, 0.06, 0.10, 0.15};
    for (int i = 1; i <= 5; ++i) {
        EXPECT_NEAR(sums.y(i), expectedSums[i - 1], 1e-15);
        EXPECT_NEAR(sums.app.store().reactionCurrent(i, 3), expectedSums[i - 1], 1e-15);
    }
    // y = i^2 with |h| = 0.5 in either direction: central differences inside, one-sided ends.
    const double slopes[] = {(4 - 1) / 0.5, (9 - 1) / 1.0, (16 - 4) / 1.0, (16 - 9) / 0.5};
    for (double h : {0.5, -0.5}) {
        Bench bench(4, h, 1, [](int i) { return double(i * i); });
        bench.click("mnuDerivative");
        for (int i = 1; i <= 4; ++i)
            EXPECT_DOUBLE_EQ(bench.y(i), slopes[i - 1]) << i << " h " << h;
    }
}

TEST(TransformCommands, ChangeOnlyTheCurrentCurveAndRefuseAZeroStep) {
    for (const char *entry : {"mnuSemi", "mnuSemiInte", "mnuDerivative", "mnuIntegral"}) {
        Bench bench(30, 0.005, 2, [](int i) { return 1e-6 * i * i; });
        bench.click(entry);
        for (int i = 1; i <= 30; ++i) {
            EXPECT_EQ(bench.app.store().curves(i, 1), 100.0) << entry;
            EXPECT_EQ(bench.app.store().curves(i, 3), 300.0) << entry;
            EXPECT_EQ(bench.app.store().reactionCurrent(i, 1), -1.0) << entry;
        }
        EXPECT_NE(bench.y(10), 1e-6 * 100) << entry;

        Bench flat(10, 0.0, 1, [](int i) { return double(i); });
        flat.click(entry);
        EXPECT_EQ(flat.platform.messages.shown,
                  std::vector<std::string>{"The first two potentials of the curve are equal: no "
                                           "potential step to transform with."});
        for (int i = 1; i <= 10; ++i)
            EXPECT_EQ(flat.y(i), double(i)) << entry;
    }
}

TEST(TransformCommands, OverflowLeavesTheCurveAsItWas) {
    Bench bench(10, 1e-10, 1, [](int i) { return 1e300 * i; });
    EXPECT_THROW(bench.click("mnuDerivative"), RuntimeError);
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(bench.y(i), 1e300 * i);
}

} // namespace
} // namespace kemvo
