#include "analysis/CurveTransforms.h"
#include "analysis/TransformCommands.h"

#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace kemvo {
namespace {

constexpr double kPiAsWritten = 3.141592654;

// A curve of n points on a potential axis of step h [V], downwards from 0.3 V when h < 0.
struct Workbench {
    HeadlessPlatform platform;
    Application app{platform.platform()};

    Workbench(int n, double h, int curve, const std::function<double(int)> &y) {
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
    const std::vector<std::string> &messages() const { return platform.messages.shown; }
};

TEST(SemiDifferentiate, ConstantCurveStaysConstant) {
    Workbench bench(50, 0.005, 1, [](int) { return 2.5e-6; });
    bench.click("mnuSemi");
    for (int i = 1; i <= 50; ++i)
        EXPECT_EQ(bench.y(i), 2.5e-6);
}

TEST(SemiDifferentiate, RampHasTheSquareRootClosedForm) {
    // y = a + b i: the weights are second differences of sqrt(m), so summing by parts gives
    // exactly Z(i) = K b sqrt(i - 1), K = 0.25 sqrt(1/(pi h)) -- an eighth of the continuous
    // semi-derivative 2 sqrt(x/pi) of a ramp in potential. Ends repeat their neighbours.
    // Both sweep directions give the same h.
    for (double h : {0.005, -0.005}) {
        const double a = 1e-6, b = 3e-7;
        const int n = 400;
        Workbench bench(n, h, 2, [&](int i) { return a + b * i; });
        bench.click("mnuSemi");
        const double K = 0.25 * std::sqrt(1 / kPiAsWritten / std::fabs(h));
        auto expected = [&](int i) { return K * b * std::sqrt(i - 1.0) + (a + b); };
        for (int i = 3; i <= n - 1; ++i)
            ASSERT_NEAR(bench.y(i), expected(i), 1e-12 * expected(i)) << i << " h " << h;
        EXPECT_EQ(bench.y(1), bench.y(3));
        EXPECT_EQ(bench.y(2), bench.y(3));
        EXPECT_EQ(bench.y(n), bench.y(n - 1));
    }
}

TEST(SemiDifferentiate, FewerThanFourPointsAllTakeTheFirstValue) {
    std::vector<double> y = {0, 5, 7, 9};
    semiDifferentiateValues(y, 3, 0.01);
    EXPECT_EQ(y, (std::vector<double>{0, 5, 5, 5}));
}

TEST(SemiIntegrate, ConstantCurveAgainstItsClosedForm) {
    // Running integral c h i, then the semi-derivative of that ramp: c h + 0.25 c sqrt(h (i-1)/pi),
    // an eighth of the semi-integral 2 c sqrt(x/pi) of a constant. The running integral stays
    // in reactionCurrent of the curve's column.
    const double c = 4e-6, h = 0.002;
    const int n = 300;
    Workbench bench(n, h, 1, [&](int) { return c; });
    bench.click("mnuSemiInte");
    for (int i = 3; i <= n - 1; ++i) {
        double expected = c * h + 0.25 * c * std::sqrt(h * (i - 1) / kPiAsWritten);
        ASSERT_NEAR(bench.y(i), expected, 1e-12 * expected) << i;
    }
    EXPECT_NEAR(bench.app.store().reactionCurrent(n, 1), c * h * n, 1e-20);
}

TEST(Integrate, RectangleSumsIncludeThePointItself) {
    Workbench bench(5, -0.01, 3, [](int i) { return double(i); });
    bench.click("mnuIntegral");
    const double sums[] = {0.01, 0.03, 0.06, 0.10, 0.15};
    for (int i = 1; i <= 5; ++i) {
        EXPECT_NEAR(bench.y(i), sums[i - 1], 1e-15);
        EXPECT_NEAR(bench.app.store().reactionCurrent(i, 3), sums[i - 1], 1e-15);
    }
}

TEST(Differentiate, StraightLineGivesItsSlopeEverywhere) {
    // y = a + b i: central and one-sided differences all give b/h, also on a downward sweep.
    for (double h : {0.005, -0.005}) {
        Workbench bench(20, h, 1, [](int i) { return 1e-6 + 2e-7 * i; });
        bench.click("mnuDerivative");
        for (int i = 1; i <= 20; ++i)
            EXPECT_NEAR(bench.y(i), 2e-7 / 0.005, 1e-15) << i;
    }
}

TEST(Differentiate, EndsAreOneSided) {
    Workbench bench(4, 0.5, 1, [](int i) { return double(i * i); }); // 1 4 9 16
    bench.click("mnuDerivative");
    const double expected[] = {(4 - 1) / 0.5, (9 - 1) / 1.0, (16 - 4) / 1.0, (16 - 9) / 0.5};
    for (int i = 1; i <= 4; ++i)
        EXPECT_DOUBLE_EQ(bench.y(i), expected[i - 1]);
}

TEST(TransformCommands, OnlyTheCurrentCurveChanges) {
    for (const char *entry : {"mnuSemi", "mnuSemiInte", "mnuDerivative", "mnuIntegral"}) {
        Workbench bench(30, 0.005, 2, [](int i) { return 1e-6 * i * i; });
        bench.click(entry);
        for (int i = 1; i <= 30; ++i) {
            EXPECT_EQ(bench.app.store().curves(i, 1), 100.0) << entry;
            EXPECT_EQ(bench.app.store().curves(i, 3), 300.0) << entry;
            EXPECT_EQ(bench.app.store().reactionCurrent(i, 1), -1.0) << entry;
        }
        EXPECT_NE(bench.y(10), 1e-6 * 100) << entry;
    }
}

TEST(TransformCommands, CurveWithoutAPotentialStepIsRefused) {
    for (const char *entry : {"mnuSemi", "mnuSemiInte", "mnuDerivative", "mnuIntegral"}) {
        Workbench bench(10, 0.0, 1, [](int i) { return double(i); });
        bench.click(entry);
        ASSERT_EQ(bench.messages().size(), 1u) << entry;
        EXPECT_EQ(bench.messages()[0], "The first two potentials of the curve are equal: no "
                                       "potential step to transform with.");
        for (int i = 1; i <= 10; ++i)
            EXPECT_EQ(bench.y(i), double(i)) << entry;
    }
}

TEST(TransformCommands, OverflowLeavesTheCurveAsItWas) {
    Workbench bench(10, 1e-10, 1, [](int i) { return 1e300 * i; });
    EXPECT_THROW(bench.click("mnuDerivative"), RuntimeError);
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(bench.y(i), 1e300 * i);
}

} // namespace
} // namespace kemvo
