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

constexpr double kPiAsWritten = 3.141592654;

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

TEST(SemiDifferentiate, RampHasTheSquareRootClosedFormInBothSweepDirections) {
    // y = a + b i: the weights are second differences of sqrt(m), so summing by parts gives
    // exactly Z(i) = K b sqrt(i - 1), K = 0.25 sqrt(1/(pi |h|)) -- an eighth of the continuous
    // semi-derivative 2 sqrt(x/pi) of a ramp. Ends repeat their neighbours.
    const double a = 1e-6, b = 3e-7;
    const int n = 400;
    for (double h : {0.005, -0.005}) {
        Bench bench(n, h, 2, [&](int i) { return a + b * i; });
        bench.click("mnuSemi");
        const double K = 0.25 * std::sqrt(1 / kPiAsWritten / std::fabs(h));
        for (int i = 3; i <= n - 1; ++i) {
            const double expected = K * b * std::sqrt(i - 1.0) + (a + b);
            ASSERT_NEAR(bench.y(i), expected, 1e-12 * expected) << i << " h " << h;
        }
        EXPECT_EQ(bench.y(1), bench.y(3));
        EXPECT_EQ(bench.y(2), bench.y(3));
        EXPECT_EQ(bench.y(n), bench.y(n - 1));
    }
    std::vector<double> few = {0, 5, 7, 9}; // fewer than four points all take the first value
    semiDifferentiateValues(few, 3, 0.01);
    EXPECT_EQ(few, (std::vector<double>{0, 5, 5, 5}));
}

TEST(SemiIntegrate, ConstantCurveAgainstItsClosedForm) {
    // Running integral c h i, then the semi-derivative of that ramp: c h + 0.25 c sqrt(h (i-1)/pi),
    // an eighth of the semi-integral 2 c sqrt(x/pi) of a constant. The running integral stays
    // in reactionCurrent of the curve's column.
    const double c = 4e-6, h = 0.002;
    const int n = 300;
    Bench bench(n, h, 1, [&](int) { return c; });
    bench.click("mnuSemiInte");
    for (int i = 3; i <= n - 1; ++i) {
        const double expected = c * h + 0.25 * c * std::sqrt(h * (i - 1) / kPiAsWritten);
        ASSERT_NEAR(bench.y(i), expected, 1e-12 * expected) << i;
    }
    EXPECT_NEAR(bench.app.store().reactionCurrent(n, 1), c * h * n, 1e-20);
}

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
