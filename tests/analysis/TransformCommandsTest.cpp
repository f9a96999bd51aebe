// The Analysis menu's transforms of the current curve: integral and derivative against hand
// values, the semi-integral and semi-derivative in time against closed forms of the fractional
// calculus (Oldham and Spanier, The Fractional Calculus, 1974).

#include "analysis/TransformCommands.h"

#include "Session.h"
#include "shell/controls/Controls.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace kemvo {
namespace {

// y(i) on n points of a potential axis of step h [V] from 0.3 V (downwards when h < 0) in
// column 1, the current curve of three; the other columns hold 100 k and every reaction
// current -k. The scan rate is the parameters window's, 0.1 V/s unless typed otherwise.
struct Bench : Session {
    Bench(int n, double h, const std::function<double(int)> &y) {
        scanRate("0.1");
        ExperimentState &s = app.state();
        s.pointCount = n;
        s.curveCount = 3;
        s.currentCurve = 1;
        for (int i = 1; i <= n; ++i) {
            app.store().potential(i) = 0.3 + (i - 1) * h;
            for (int k = 1; k <= 3; ++k) {
                app.store().curves(i, k) = k == 1 ? y(i) : 100.0 * k;
                app.store().reactionCurrent(i, k) = -1.0 * k;
            }
        }
    }
    void scanRate(const std::string &v) { app.control<TextBox>("FormExpr", "V").setText(v); }
    double y(int i) { return app.store().curves(i, 1); }
    void click(const char *entry) { app.mainWindow().menu(entry).click(); }
};

TEST(IntegrateAndDifferentiate, AgainstHandValues) {
    // Rectangle sums including the point itself, also kept in reactionCurrent.
    Bench sums(5, -0.01, [](int i) { return double(i); });
    sums.click("mnuIntegral");
    const double expectedSums[] = {0.01, 0.03, 0.06, 0.10, 0.15};
    for (int i = 1; i <= 5; ++i) {
        EXPECT_NEAR(sums.y(i), expectedSums[i - 1], 1e-15);
        EXPECT_NEAR(sums.app.store().reactionCurrent(i, 1), expectedSums[i - 1], 1e-15);
    }
    // y = i^2 with |h| = 0.5 in either direction: central differences inside, one-sided ends.
    const double slopes[] = {(4 - 1) / 0.5, (9 - 1) / 1.0, (16 - 4) / 1.0, (16 - 9) / 0.5};
    for (double h : {0.5, -0.5}) {
        Bench bench(4, h, [](int i) { return double(i * i); });
        bench.click("mnuDerivative");
        for (int i = 1; i <= 4; ++i)
            EXPECT_DOUBLE_EQ(bench.y(i), slopes[i - 1]) << i << " h " << h;
    }
}

TEST(SemiIntegration, PiecewiseLinearCurvesHaveTheirClosedFormsInBothSweepDirections) {
    // y = a + b t: semi-integral 2 a sqrt(t/pi) + (4/3) b t^1.5 / sqrt(pi); the product rule is
    // exact for a linear curve, so only rounding and pi written to ten digits are left (1e-9).
    // 2 mV at 0.05 V/s: t = 0.04 s per point.
    const double a = 2e-6, b = -3e-7, v = 0.05, h = 0.002;
    for (double step : {h, -h}) {
        Bench bench(300, step, [&](int i) { return a + b * (i - 1) * h / v; });
        bench.scanRate("0.05");
        bench.click("mnuSemiInte");
        for (int i = 1; i <= 300; ++i) {
            const double t = (i - 1) * h / v;
            const double expected =
                (2 * a * std::sqrt(t) + 4.0 / 3 * b * t * std::sqrt(t)) / std::sqrt(M_PI);
            ASSERT_NEAR(bench.y(i), expected, 1e-9 * std::fabs(a)) << i;
        }
    }
}

TEST(SemiDifferentiation, SquareRootOfTimeGivesAConstantAboveTheBaseline) {
    // d^1/2 (2 c sqrt(t/pi)) / dt^1/2 = c; the baseline a (the first value) is added back. The
    // semi-integral of the constant c is exact at every node, so is its inverse (1e-9). The
    // sign of the scan rate is immaterial.
    const double a = 5e-7, c = 1e-6, v = 0.01, h = 0.001;
    Bench bench(400, -h, [&](int i) { return a + 2 * c * std::sqrt((i - 1) * h / v / M_PI); });
    bench.scanRate("-0.01");
    bench.click("mnuSemi");
    for (int i = 1; i <= 400; ++i)
        ASSERT_NEAR(bench.y(i), a + c, 1e-9 * c) << i;
}

TEST(SemiIntegration, TheVertexListedTwiceIsOneInstant) {
    // A cycle of 2 x 11 points whose vertex is listed twice: the constant c has the
    // semi-integral 2 c sqrt(t/pi) with t counted in instants, 20 steps at the last point.
    // 1e-9: pi is written to ten digits in the program.
    const double c = 1e-6, v = 0.1, h = 0.01;
    Bench bench(22, h, [&](int) { return c; });
    for (int i = 1; i <= 11; ++i)
        bench.app.store().potential(11 + i) = bench.app.store().potential(12 - i);
    bench.click("mnuSemiInte");
    EXPECT_EQ(bench.y(11), bench.y(12));
    EXPECT_NEAR(bench.y(22), 2 * c * std::sqrt(20 * h / v / M_PI), 1e-9 * c);
}

struct Refusal {
    const char *entry;
    double step;          // [V]
    const char *scanRate; // [V/s]
    const char *message;
};

TEST(TransformCommands, ACurveWithoutATimeAxisOrThatOverflowsIsLeftAsItWas) {
    const Refusal cases[] = {
        {"mnuSemi", 0, "0.1",
         "The first two potentials of the curve are equal: no potential step to transform with."},
        {"mnuSemiInte", 0.01, "0",
         "The scan rate v is 0: no time axis to semi-differentiate or semi-integrate on."},
        // The scan-rate box is read whole, as the parameters window's intake reads it: "1,5e-1"
        // and "2k" were once read as 1 and 2 V/s without a word.
        {"mnuSemi", 0.01, "1,5e-1",
         "Semi-derivative Error: v (V/s): \"1,5e-1\" has a decimal comma; write it with a "
         "decimal point: 1.5e-1"},
        {"mnuSemiInte", 0.01, "2k",
         "Semi-integral Error: v (V/s): \"2k\" is not a number; it must be a number"},
    };
    for (const Refusal &c : cases) {
        SCOPED_TRACE(testing::Message() << c.entry << " step " << c.step);
        Bench bench(10, c.step, [](int i) { return double(i); });
        bench.scanRate(c.scanRate);
        bench.click(c.entry);
        EXPECT_EQ(bench.messages(), std::vector<std::string>{c.message});
        for (int i = 1; i <= 10; ++i)
            EXPECT_EQ(bench.y(i), double(i));
    }
    // An overflow is reported with the command and the numbers it met, never a curve of
    // infinities (it once said only "Overflow"): 1e301 / (2 x 1e-10 V) is beyond a double.
    Bench huge(10, 1e-10, [](int i) { return 1e300 * i; });
    huge.click("mnuDerivative");
    EXPECT_EQ(huge.messages(),
              std::vector<std::string>{"Derivative Error: Overflow with the potential step 1e-10 V "
                                       "and values up to 1e+301; the curve is as it was."});
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(huge.y(i), 1e300 * i);
}

} // namespace
} // namespace kemvo
