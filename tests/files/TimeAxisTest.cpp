// What a time column says: dE/dt of the steady sweeps, and holds at the start and at turning
// points, on axes written from an instrument's facts; and the imports that rest on it (an
// EC-Lab linear sweep with its start-up point, an EC4 cycle after a settling point, a hold at a
// vertex that becomes the vertex hold).

#include "files/TimeAxis.h"
#include "files/FilesFixture.h"
#include "files/FormImport.h"
#include "setup/FormExpr.h"

#include <cmath>
#include <cstdio>

namespace kemvo {
namespace {

struct Axis {
    std::vector<double> e, t; // [V], [s]
    void add(double potential, double time) {
        e.push_back(std::round(potential * 1e9) / 1e9); // as a file writes it

        t.push_back(time);
    }
    // From the last point to `to` in steps of `step` [V] at `rate` [V/s].
    void sweepTo(double to, double step, double rate) {
        const int steps = static_cast<int>(std::lround(std::fabs(to - e.back()) / step));
        const double from = e.back();
        const double sign = to > from ? 1 : -1;
        const double t0 = t.back();
        for (int k = 1; k <= steps; ++k)
            add(from + sign * k * step, t0 + k * step / rate);
    }
    void holdFor(double seconds, int points) {
        const double t0 = t.back();
        for (int k = 1; k <= points; ++k)
            add(e.back(), t0 + seconds * k / points);
    }
};

// -0.1 V, 1 mV steps at 20 mV/s to 0.5 V, optionally preceded by something.
Axis linearSweep(const std::function<void(Axis &)> &before = {}) {
    Axis a;
    if (before)
        before(a);
    a.add(-0.1, a.t.empty() ? 0 : a.t.back() + 0.05);
    a.sweepTo(0.5, 0.001, 0.02);
    return a;
}

TEST(TimeAxis, TheScanRateIsDEdtOfTheSteadySweeps) {
    struct Case {
        const char *what;
        Axis axis;
        double rate; // [V/s] as run
    };
    Axis cycle; // 0.3 -> 0.7 -> 0.2 at 0.1 V/s in 5 mV steps, held 5 s at 0.7 V
    cycle.add(0.3, 0);
    cycle.sweepTo(0.7, 0.005, 0.1);
    cycle.holdFor(5, 10);
    cycle.sweepTo(0.2, 0.005, 0.1);
    Axis repeated; // the same without the hold, 0.7 V written twice at one instant
    repeated.add(0.3, 0);
    repeated.sweepTo(0.7, 0.005, 0.1);
    repeated.add(0.7, repeated.t.back());
    repeated.sweepTo(0.2, 0.005, 0.1);
    const Case cases[] = {
        {"a plain sweep", linearSweep(), 0.02},
        // The start-up point at the open circuit potential, 0.35 V from the scan's start and
        // 0.46 s before it: as one of two sweeps it made the median 0.758 V/s.
        {"a start-up point", linearSweep([](Axis &a) { a.add(0.25, -0.4617); }), 0.02},
        {"a quiet time of 2 s at E start", linearSweep([](Axis &a) {
             a.add(-0.1, 0);
             a.holdFor(2, 4);
         }),
         0.02},
        {"a hold of 5 s at the vertex", cycle, 0.1},
        {"a vertex written twice", repeated, 0.1},
    };
    for (const Case &c : cases)
        EXPECT_NEAR(scanRateFromTime(c.axis.e, c.axis.t).value_or(0), c.rate, 1e-9 * c.rate)
            << c.what;
    EXPECT_FALSE(scanRateFromTime({0.1, 0.2}, {0}));      // the columns differ in length
    EXPECT_FALSE(scanRateFromTime({0.1, 0.2}, {1, 1}));   // no time taken
    EXPECT_FALSE(scanRateFromTime({0.1, 0.1}, {0, 1.0})); // no potential travelled
}

TEST(TimeAxis, HoldsAtTheStartAndAtTurningPoints) {
    // 0.3 -> 0.7 -> 0.2 V in 5 mV steps 50 ms apart, with what each case adds.
    auto cycleWith = [](double quiet, double vertexHold, bool vertexTwice) {
        Axis a;
        a.add(0.3, 0);
        if (quiet > 0)
            a.holdFor(quiet, 4);
        a.sweepTo(0.7, 0.005, 0.1);
        if (vertexHold > 0)
            a.holdFor(vertexHold, 10);
        if (vertexTwice)
            a.add(0.7, a.t.back() + 0.1); // two steps apart (a rounded time column): no hold
        a.sweepTo(0.2, 0.005, 0.1);
        return a;
    };
    struct Case {
        double quiet, vertexHold;
        bool vertexTwice;
        std::size_t startLast; // the last point of the hold at the start (0: none)
        std::size_t turnFirst; // the first point of the hold at the vertex (0: none)
    };
    // The quiet time's 4 points follow point 0; the vertex is point 80 after the 4 quiet points
    // (0.3 -> 0.7 is 80 steps).
    const Case cases[] = {
        {0, 0, false, 0, 0},  {2, 0, false, 4, 0}, {0, 0, true, 0, 0},
        {0, 5, false, 0, 80}, {2, 5, true, 4, 84},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.quiet << " s, " << c.vertexHold << " s");
        const Axis a = cycleWith(c.quiet, c.vertexHold, c.vertexTwice);
        const CurveHolds holds = holdsOf(a.e, a.t);
        ASSERT_EQ(holds.atStart.has_value(), c.startLast > 0);
        if (holds.atStart) {
            EXPECT_EQ(holds.atStart->first, 0u);
            EXPECT_EQ(holds.atStart->last, c.startLast);
            EXPECT_NEAR(holds.atStart->seconds, c.quiet, 1e-12);
        }
        ASSERT_EQ(holds.atTurns.size(), c.turnFirst > 0 ? 1u : 0u);
        if (c.turnFirst > 0) {
            EXPECT_EQ(holds.atTurns[0].first, c.turnFirst);
            // The hold's 10 points, and the vertex written again 0.1 s after them.
            EXPECT_NEAR(holds.atTurns[0].seconds, c.vertexHold + (c.vertexTwice ? 0.1 : 0), 1e-12);
            EXPECT_DOUBLE_EQ(holds.atTurns[0].potential, 0.7);
        }
        // Without its holds the curve lists the points the programme simulates.
        MeasuredCurve curve{"all", a.e, std::vector<double>(a.e.size(), 1e-6), 0.1};
        curve.time = a.t;
        EXPECT_EQ(withoutHolds(curve, holds).potential.size(),
                  a.e.size() - (c.startLast > 0 ? 4 : 0) - (c.turnFirst > 0 ? 10 : 0) -
                      (c.turnFirst > 0 && c.vertexTwice ? 1 : 0));
        // The one turning point's hold is the vertex hold; kept for it, it keeps its last point.
        EXPECT_EQ(holds.turns, 1u);
        const std::optional<double> common = commonVertexHold(holds);
        ASSERT_EQ(common.has_value(), c.turnFirst > 0);
        if (common) {
            EXPECT_DOUBLE_EQ(*common, holds.atTurns[0].seconds);
        }
        EXPECT_EQ(withoutHolds(curve, holds, true).potential.size(),
                  withoutHolds(curve, holds).potential.size() + (c.turnFirst > 0 ? 1 : 0));
    }
}

TEST(TimeAxis, TheVertexHoldIsOneHoldAtEveryTurningPoint) {
    // Holds [s] at the turning points of a curve with `turns` of them, 50 ms a step.
    struct Case {
        std::vector<double> seconds;
        std::size_t turns;
        std::optional<double> hold;
    };
    const Case cases[] = {
        {{5, 5.04}, 2, 5.02},        // within a step: their mean
        {{5, 5.05}, 2, 5.025},       // a step apart
        {{5, 5.1}, 2, std::nullopt}, // two steps apart
        {{5, 5}, 3, std::nullopt},   // a turning point without a hold
        {{}, 0, std::nullopt},       // a single sweep
    };
    for (const Case &c : cases) {
        CurveHolds holds;
        holds.turns = c.turns;
        holds.stepTime = 0.05;
        for (double seconds : c.seconds)
            holds.atTurns.push_back({0, 0, seconds, 0.7});
        const std::optional<double> hold = commonVertexHold(holds);
        ASSERT_EQ(hold.has_value(), c.hold.has_value()) << c.seconds.size() << " " << c.turns;
        if (hold) {
            EXPECT_NEAR(*hold, *c.hold, 1e-12);
        }
    }
}

TEST(TimeAxis, SeveralPointsOnEachStepAreNoHold) {
    // 0.3 -> 0.4 -> 0.3 V in 10 mV steps of 0.1 s, four points on each step 25 ms apart; then
    // the same after a quiet time of 2 s at 0.3 V.
    for (double quiet : {0.0, 2.0}) {
        Axis a;
        a.add(0.3, 0);
        if (quiet > 0)
            a.holdFor(quiet, 8);
        for (int k = 1; k <= 20; ++k) {
            const double e = 0.3 + 0.01 * (k <= 10 ? k : 20 - k);
            for (int p = 0; p < 4; ++p)
                a.add(e, a.t.back() + 0.025);
        }
        const CurveHolds holds = holdsOf(a.e, a.t);
        EXPECT_TRUE(holds.atTurns.empty()) << quiet;
        ASSERT_EQ(holds.atStart.has_value(), quiet > 0);
        if (holds.atStart) {
            EXPECT_NEAR(holds.atStart->seconds, quiet, 1e-12);
        }
        EXPECT_NEAR(scanRateFromTime(a.e, a.t).value_or(0), 0.1, 0.1 * 0.1) << quiet;
    }
}

std::string text(double value) {
    char out[32];
    std::snprintf(out, sizeof out, "%.10g", value);
    return out;
}

// An EC-Lab linear sweep as its export writes it: the start-up point at the open circuit
// potential, then -0.1 -> 0.5 V at 20 mV/s in 1 mV steps, with the header's settings.
std::string ecLabSweep(const std::string &settings) {
    const Axis a = linearSweep([](Axis &x) { x.add(0.25, -0.4617); });
    int header = 5;
    for (char ch : settings)
        header += ch == '\n';
    std::string out = "EC-Lab ASCII FILE\nNb header lines : " + std::to_string(header) +
                      "\n\nLinear Sweep Voltammetry\n" + settings + "time/s\tEwe/V\t<I>/mA\t\n";
    for (std::size_t k = 0; k < a.e.size(); ++k)
        out += text(a.t[k] + 0.4617) + "\t" + text(a.e[k]) + "\t" + text(1e-3 * a.e[k]) + "\t\n";
    return out;
}

using TimedImport = FileCommands;

TEST_F(TimedImport, AnEcLabLinearSweepAt20mVsImportsItsRateAndStart) {
    struct Case {
        const char *what;
        std::string settings;
        const char *eStart; // E initial of the header where it is against the reference
        bool overruled;     // the header's rate gives way to dE/dt, and it is said
    };
    const Case cases[] = {
        {"no settings", "", "-0.1", false},
        {"the rate and E initial against the reference",
         "Ei (V)              -0,100\nvs.                 Ref\ndE/dt               20,000\n"
         "dE/dt unit          mV/s\n",
         "-0.1", false},
        {"E initial against the open circuit potential",
         "Ei (V)              -0,350\nvs.                 Eoc\ndE/dt               20,000\n"
         "dE/dt unit          mV/s\n",
         "-0.1", false},
        {"a rate in V/s", "dE/dt               0,020\ndE/dt unit          V/s\n", "-0.1", false},
        {"a rate the time column contradicts",
         "dE/dt               100,000\ndE/dt unit          mV/s\n", "-0.1", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        app.formResult().cls();
        click("mnuImport", folder.withText("lsv.mpt", ecLabSweep(c.settings)));
        ASSERT_TRUE(messages().empty()) << messages().front();
        FormExpr &w = app.form<FormExpr>();
        EXPECT_EQ(w.V.text(), "0.02");
        EXPECT_EQ(w.Estart.text(), c.eStart);
        EXPECT_EQ(w.Eend.text(), "0.5");
        EXPECT_TRUE(w.option9.value()); // a single sweep
        bool said = false;
        bool startUp = false;
        for (const std::string &line : app.formResult().lines()) {
            said = said || line.starts_with("v of the header (0.1 V/s) differs");
            startUp = startUp || line.starts_with("1 point before the scan");
        }
        EXPECT_EQ(said, c.overruled);
        EXPECT_TRUE(startUp);
    }
}

TEST_F(TimedImport, AnEc4CycleAfterASettlingPointOffersItsSweepsAndTheCycle) {
    // The settling point 0.399 V, then 0.700 -> 0.000 -> 0.700 V in 10 mV steps at 50 mV/s.
    Axis a;
    a.add(0.399, 0);
    a.add(0.7, 1);
    a.sweepTo(0, 0.01, 0.05);
    a.sweepTo(0.7, 0.01, 0.05);
    std::string out = "EC4 File used by Nordic Electrochemistry Aps\nTechnique\tCyclic "
                      "Voltammetry\n\nTime (s)\tE (V)\ti (A)\n";
    for (std::size_t k = 0; k < a.e.size(); ++k)
        out += text(a.t[k]) + "\t" + text(a.e[k]) + "\t" + text(1e-6 * a.e[k]) + "\n";
    click("mnuImport", folder.withText("cv.txt", out));
    FormImport &chooser = app.form<FormImport>();
    ASSERT_TRUE(chooser.visible()) << (messages().empty() ? "" : messages().front());
    const std::vector<std::string> &items = chooser.ListCurve.items();
    ASSERT_EQ(items.size(), 3u); // the two sweeps and the cycle
    EXPECT_TRUE(items[0].starts_with("1  sweep 1  72 points  0 to 0.7 V  0.05 V/s")) << items[0];
    EXPECT_TRUE(items[1].starts_with("2  sweep 2  70 points")) << items[1];
    EXPECT_TRUE(items[2].starts_with("3  all, concatenated  142 points")) << items[2];
    for (int entry : {0, 2}) {
        click("mnuImport", folder.file("cv.txt"));
        chooser.ListCurve.setListIndex(entry);
        chooser.OK.click();
        ASSERT_TRUE(messages().empty()) << messages().front();
        FormExpr &w = app.form<FormExpr>();
        EXPECT_EQ(w.Estart.text(), "0.7") << entry;
        EXPECT_EQ(w.Eend.text(), "0");
        EXPECT_EQ(w.V.text(), "0.05");
        EXPECT_TRUE(entry == 0 ? w.option9.value() : w.option10.value());
        EXPECT_EQ(app.state().pointCount, entry == 0 ? 71 : 141);
    }
}

TEST_F(TimedImport, AHoldAtTheVertexIsTheVertexHold) {
    // NOVA: 0.3 -> 0.7 -> 0.3 V in 10 mV steps at 0.1 V/s, held 5 s at 0.7 V (10 points).
    Axis a;
    a.add(0.3, 0);
    a.sweepTo(0.7, 0.01, 0.1);
    a.holdFor(5, 10);
    a.sweepTo(0.3, 0.01, 0.1);
    std::string out = "Potential applied (V);Time (s);WE(1).Current (A);Scan\n";
    for (std::size_t k = 0; k < a.e.size(); ++k)
        out += text(a.e[k]) + ";" + text(a.t[k]) + ";1e-6;1\n";
    click("mnuImport", folder.withText("held.txt", out));
    ASSERT_TRUE(messages().empty()) << messages().front();
    // 41 + 41 points with the vertex twice, the hold's first and last: the programme's 82.
    EXPECT_EQ(app.state().pointCount, 82);
    EXPECT_EQ(app.form<FormExpr>().V.text(), "0.1");
    EXPECT_EQ(app.form<FormExpr>().TextQuiet.text(), "0");
    EXPECT_EQ(app.form<FormExpr>().TextVertexHold.text(), "5");
    bool said = false;
    for (const std::string &line : app.formResult().lines())
        said = said || line == "The time column shows a hold of 5 s at the turning point 0.7 V "
                               "(11 points, the first and the last kept): it is taken as the "
                               "vertex hold";
    EXPECT_TRUE(said);
}

} // namespace
} // namespace kemvo
