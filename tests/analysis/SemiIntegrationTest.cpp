// The Analysis menu's semi-integral and semi-derivative in time, against closed forms of the
// fractional calculus (Oldham and Spanier, The Fractional Calculus, 1974) and the reversible
// wave's semi-integral n F A C sqrt(D) / (1 + exp(f (E - E0))) (Oldham, Anal. Chem. 44 (1972)
// 196), which holds whatever the history of the sweep.

#include "analysis/TransformCommands.h"

#include "app/Workbench.h"
#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"
#include "shell/controls/Controls.h"
#include "simulation/SimulationDriver.h"
#include "support/DefaultExperiment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace kemvo {
namespace {

struct Bench {
    HeadlessPlatform platform;
    kemvo::Workbench app{platform.platform()};

    explicit Bench(const std::string &scanRate) {
        app.control<TextBox>("FormExpr", "V").setText(scanRate);
        app.state().currentCurve = 1;
        app.state().curveCount = 1;
    }
    // n points from 0.3 V in steps of h [V], the curve y(i) in column 1.
    void sweep(int n, double h, const std::function<double(int)> &y) {
        app.state().pointCount = n;
        for (int i = 1; i <= n; ++i) {
            app.store().potential(i) = 0.3 + (i - 1) * h;
            app.store().curves(i, 1) = y(i);
        }
    }
    double y(int i) { return app.store().curves(i, 1); }
    void click(const char *entry) { app.mainWindow().menu(entry).click(); }
    std::vector<std::string> printed() { return app.formResult().lines(); }
};

TEST(SemiIntegration, PiecewiseLinearCurvesHaveTheirClosedFormsInBothSweepDirections) {
    // y = a + b t: semi-integral 2 a sqrt(t/pi) + (4/3) b t^1.5 / sqrt(pi); the product rule is
    // exact for a linear curve, so only rounding and pi written to ten digits are left (1e-9). 2 mV
    // at 0.05 V/s: t = 0.04 s per point.
    const double a = 2e-6, b = -3e-7, v = 0.05, h = 0.002;
    for (double step : {h, -h}) {
        Bench bench("0.05");
        bench.sweep(300, step, [&](int i) { return a + b * (i - 1) * h / v; });
        bench.click("mnuSemiInte");
        for (int i = 1; i <= 300; ++i) {
            const double t = (i - 1) * h / v;
            const double expected =
                (2 * a * std::sqrt(t) + 4.0 / 3 * b * t * std::sqrt(t)) / std::sqrt(M_PI);
            ASSERT_NEAR(bench.y(i), expected, 1e-9 * std::fabs(a)) << i;
        }
        EXPECT_EQ(bench.printed(),
                  std::vector<std::string>{"Semi-integrated in time at v = 0.05 V/s"});
    }
}

TEST(SemiDifferentiation, SquareRootOfTimeGivesAConstantAboveTheBaseline) {
    // d^1/2 (2 c sqrt(t/pi)) / dt^1/2 = c; the baseline a (the first value) is added back. The
    // semi-integral of the constant c is exact at every node, so is its inverse (1e-9).
    const double a = 5e-7, c = 1e-6, v = 0.01, h = 0.001;
    Bench bench("-0.01"); // the sign of the scan rate is immaterial
    bench.sweep(400, -h, [&](int i) { return a + 2 * c * std::sqrt((i - 1) * h / v / M_PI); });
    bench.click("mnuSemi");
    for (int i = 1; i <= 400; ++i)
        ASSERT_NEAR(bench.y(i), a + c, 1e-9 * c) << i;
    EXPECT_EQ(bench.printed(),
              std::vector<std::string>{"Semi-differentiated in time at v = 0.01 V/s"});
}

TEST(SemiIntegration, TheVertexListedTwiceIsOneInstant) {
    // A cycle of 2 x 11 points whose vertex is listed twice: the constant c has the
    // semi-integral 2 c sqrt(t/pi) with t counted in instants, 20 steps at the last point.
    // 1e-9: pi is written to ten digits in the program.
    const double c = 1e-6, v = 0.1, h = 0.01;
    Bench bench("0.1");
    bench.sweep(22, h, [&](int) { return c; });
    for (int i = 1; i <= 11; ++i)
        bench.app.store().potential(11 + i) = bench.app.store().potential(12 - i);
    bench.click("mnuSemiInte");
    EXPECT_EQ(bench.y(11), bench.y(12));
    EXPECT_NEAR(bench.y(22), 2 * c * std::sqrt(20 * h / v / M_PI), 1e-9 * c);
}

TEST(SemiIntegration, ReversibleCycleLevelsAtNFACRootDAndBothBranchesMeetAtE0) {
    // The default reversible couple (E0 = 0.1 V, 1 mM, D = 1e-5 cm^2/s, 1 cm^2, 0.01 V/s),
    // one cycle at 1 mV steps from 0.3 V to -0.3 V, reductions counted negative. Its
    // semi-integral is -n F A C sqrt(D) theta, theta = 1/(1 + exp(f (E - E0))): theta = 1/2 at
    // E0 on both branches, 1 - 2e-7 at the vertex. 0.5 %: the tolerance of the check.
    Bench bench("0.01");
    ExperimentState &s = bench.app.state();
    s = experiment();
    s.eStep = 0.001;
    s.cycles = 1;
    simulateCurves(s, bench.app.store(), {});
    const int n = s.pointCount;
    ASSERT_EQ(n, 1202);
    for (int i = 1; i <= n; ++i)
        bench.app.store().curves(i, 1) = bench.app.store().reactionCurrent(i, 2);
    std::vector<double> current(static_cast<std::size_t>(n) + 1);
    double peak = 0;
    for (int i = 1; i <= n; ++i) {
        current[static_cast<std::size_t>(i)] = bench.y(i);
        peak = std::max(peak, std::fabs(bench.y(i)));
    }

    bench.click("mnuSemiInte");
    const double nfacRootD = 96484.6 * 1e-6 * std::sqrt(1e-5); // [A s^1/2]
    const int forwardE0 = 201, reverseE0 = 1002;               // 0.1 V on each branch
    ASSERT_NEAR(s.eStart - (forwardE0 - 1) * 0.001, 0.1, 1e-12);
    EXPECT_NEAR(bench.y(601) / -nfacRootD, 1.0, 0.005);
    EXPECT_NEAR(bench.y(forwardE0) / -nfacRootD, 0.5, 0.0025);
    EXPECT_NEAR(bench.y(reverseE0) / -nfacRootD, 0.5, 0.0025);
    EXPECT_NEAR(bench.y(forwardE0) / bench.y(reverseE0), 1.0, 0.005);

    // The semi-derivative undoes it on the same points.
    bench.click("mnuSemi");
    for (int i = 1; i <= n; ++i)
        ASSERT_NEAR(bench.y(i), current[static_cast<std::size_t>(i)], 0.005 * peak) << i;
}

TEST(SemiIntegration, AZeroScanRateIsRefused) {
    Bench bench("0");
    bench.sweep(10, 0.01, [](int i) { return double(i); });
    bench.click("mnuSemiInte");
    EXPECT_EQ(bench.platform.messages.shown,
              std::vector<std::string>{"The scan rate v is 0: no time axis to semi-differentiate "
                                       "or semi-integrate on."});
    EXPECT_EQ(bench.y(10), 10.0);
}

} // namespace
} // namespace kemvo
