#include "SetupFixture.h"

#include "setup/ParameterIntake.h"

namespace kemvo::test {
namespace {

using Texts = std::vector<std::string>;
using WindowTest = SetupTest;

TEST_F(WindowTest, FirstMechanismPreEquilibratedAtTheStartPotential) {
    app.mainWindow().menu("mnuExperimental").click();
    // By hand: f = 96484.6 / (8.31441 * 298.14) = 38.923 /V, theta = exp(38.923 * (0.1 - 0.3))
    // = 4.161e-4, v = theta 1e-3 / (1 + theta) = 4.159e-7; f to the 5 digits worked.
    EXPECT_EQ(cinit(2), (Texts{"9.996e-4", "4.159e-7"}));
    EXPECT_NEAR(state.fOverRT, 38.923, 5e-4);
    expr.C(1).setText("2e-3"); // v = theta 2e-3 / (1 + theta) = 8.318e-7
    EXPECT_EQ(cinit(2), (Texts{"1.999e-3", "8.318e-7"}));
    expr.Eze(1).setText("-"); // half typed: no equilibrium, A shows what was typed
    EXPECT_EQ(cinit(2), (Texts{"2e-3", "8.318e-7"}));
    expr.C(2).setText("1e-4");
    EXPECT_EQ(cinit(2), (Texts{"2e-3", "1e-4"}));
    expr.Eze(1).setText("0.1"); // v = (theta 2e-3 - 1e-4) / (1 + theta) = -9.913e-5
    EXPECT_EQ(cinit(2), (Texts{"2.099e-3", "8.734e-7"}));
    expr.Estart.setText("-50"); // theta = exp(1950) overflows: only the typed values remain
    EXPECT_EQ(cinit(2), (Texts{"2e-3", "1e-4"}));
    expr.Estart.setText("0.3");
    EXPECT_EQ(cinit(2), (Texts{"2.099e-3", "8.734e-7"}));
    expr.NEL(1).setText("2"); // theta = exp(2 f (0.1 - 0.3)) = 1.731e-7: v = 2.0999996e-3
    EXPECT_EQ(cinit(2), (Texts{"2.1e-3", "3.636e-10"}));
    expr.CheckPreEqu.click(); // no pre-equilibrium: the typed values
    EXPECT_EQ(cinit(2), (Texts{"2e-3", "1e-4"}));
}

// By mechanism group, worked by hand. E start = E0 of every step, so each charge step has
// theta = 1 and splits its couple evenly; kf/kb sets K1.
TEST(PreEquilibrium, GroupRuleGivesHandWorkedValues) {
    struct Group {
        int mechanism;
        Texts typed;        // C(1..4)
        const char *kf, *p; // kf(1) with kb(1) = 1, pl(1)
        Texts expected;     // Cinit(1..4)
    };
    const Group groups[] = {
        // A/B halves: (1e-3 - 0) / 2 moves to B.
        {1, {"1e-3", "0", "5e-4", "0"}, "1", "1", {"5e-4", "5e-4", "5e-4", "0"}},
        // In series: A 1e-3 -> A 5e-4, B 5e-4 -> B 2.5e-4, C 2.5e-4 (-> C 1.25e-4, D 1.25e-4).
        {2, {"1e-3", "0", "0", "7"}, "1", "1", {"5e-4", "2.5e-4", "2.5e-4", "7e0"}},
        {3, {"1e-3", "0", "0", "0"}, "1", "1", {"5e-4", "2.5e-4", "1.25e-4", "1.25e-4"}},
        // Separate couples A/B and C/D.
        {13, {"1e-3", "0", "2e-3", "0"}, "1", "1", {"5e-4", "5e-4", "1e-3", "1e-3"}},
        // C = A with K1 = 3: u = (3*3e-3 - 1e-3)/4 = 2e-3 to A, then A 3e-3 halves with B.
        {5, {"1e-3", "0", "3e-3", "0"}, "3", "1", {"1.5e-3", "1.5e-3", "1e-3", "0"}},
        // A halves with B (5e-4 each), then B = C with K1 = 3: w = 3*5e-4/4 = 3.75e-4 to C.
        {7, {"1e-3", "0", "0", "0"}, "3", "1", {"5e-4", "1.25e-4", "3.75e-4", "0"}},
        // C = A + 2D, K1 = 3, Q = (2e-3)^2 = 4e-6: u = (3e-3 - 4e-9)/3.000004 = 9.99997e-4.
        {17, {"1e-3", "0", "1e-3", "2e-3"}, "3", "2", {"2e-3", "0", "2.667e-9", "2e-3"}}};
    for (const Group &group : groups) {
        SCOPED_TRACE(group.mechanism);
        SetupBench w;
        w.openWithMechanism(group.mechanism);
        for (int r = 1; r <= 3; ++r)
            w.expr.Eze(r).setText("0.1");
        w.expr.kb(1).setText("1");
        w.expr.kf(1).setText(group.kf);
        w.expr.pl(1).setText(group.p);
        for (int j = 1; j <= 4; ++j)
            w.expr.C(j).setText(group.typed[static_cast<std::size_t>(j - 1)]);
        w.expr.Estart.setText("0.1");
        EXPECT_EQ(w.cinit(4), group.expected);
    }
}

TEST_F(WindowTest, PreconcentrationAccumulatesBInTheFilm) {
    app.mainWindow().menu("mnuExperimental").click();
    expr.CheckPreCon.click();
    EXPECT_TRUE(expr.FramePre.visible());
    // G = P t sqrt(2 pi 100/60) D^(2/3) nu^(-1/6) / (A L (1 + theta_p)) with D^(2/3) nu^(-1/6)
    // = 1e-3 exactly for D = 1e-5, nu = 0.01, and theta_p = exp(-0.4 f) = 1.7e-7:
    // 10 * 600 * 3.236 * 1e-3 / 0.01 = 1941.6, times c_A = 1e-3.
    EXPECT_EQ(expr.Cinit(2).caption(), "1.942e0");
    expr.CheckPreCon.click();
    EXPECT_FALSE(expr.FramePre.visible());
    EXPECT_EQ(expr.Cinit(2).caption(), "4.159e-7");
}

// Each geometry with radius 0.3 cm and length 0.01 cm: the rows it needs and its area, by hand
// with pi = 3.14159: 4 pi r^2 = 1.1310, 2 pi r^2 = 0.56549, pi r^2 = 0.28274,
// pi r^2 + 2 pi r L = 0.30159, pi r^2 / 2 + pi r L = 0.15080; volumes to seven digits.
TEST(Electrode, RowsAreaAndVolumeFollowTheGeometry) {
    struct Geometry {
        int electrode;
        bool length, radius, rotation; // the rows shown
        const char *area;
        double volume; // [cm^3]
    };
    const Geometry geometries[] = {{1, false, false, false, "1", 0.01},
                                   {2, false, true, false, "1.13e0", 0.1130973},
                                   {3, false, true, false, "5.65e-1", 0.05654867},
                                   {4, false, true, false, "2.83e-1", 0.00283},
                                   {5, true, true, false, "3.02e-1", 0.002827433},
                                   {6, true, true, false, "1.51e-1", 0.001413717},
                                   {7, true, false, false, "1", 0.01},
                                   {8, false, true, true, "2.83e-1", 0.00283}};
    for (const Geometry &g : geometries) {
        SCOPED_TRACE(g.electrode);
        SetupBench w;
        w.expr.radius.setText("0.3");
        ASSERT_TRUE(takeParameters(w.app));
        w.expr.optElectrode(g.electrode).select();
        EXPECT_EQ(w.expr.leng.visible(), g.length);
        EXPECT_EQ(w.expr.radius.visible(), g.radius);
        EXPECT_EQ(w.expr.TextRrate.visible() && w.expr.TextVis.visible(), g.rotation);
        EXPECT_EQ(w.expr.ARE.locked(), g.radius); // computed exactly where the radius counts
        EXPECT_EQ(w.expr.ARE.text(), g.area);
        EXPECT_NEAR(w.state.electrodeVolume, g.volume, 1e-6 * g.volume); // seven digits given
    }
}

// Choosing another electrode says when it changed the area, and when a plane would keep the
// area a disk left in the box. Radius 0.005 cm: pi r^2 = 7.854e-5 cm^2, shown "7.85e-5".
TEST(Electrode, ChoosingAnotherOneSaysWhenTheAreaChanges) {
    SetupBench w;
    w.expr.radius.setText("0.005");
    ASSERT_TRUE(takeParameters(w.app));
    struct Step {
        int electrode;
        const char *note;
    };
    for (const Step &step : {
             Step{4, "Area from the radius (was 1 cm\u00B2)"},
             Step{8, ""}, // the rotating disk has the microdisc's area: nothing changed
             Step{1, "Area of the Rotating disk kept: retype it"},
             Step{7, ""}, // from one typed area to another
         }) {
        SCOPED_TRACE(step.electrode);
        w.expr.optElectrode(step.electrode).select();
        EXPECT_EQ(w.expr.ARE.text(), "7.85e-5");
        EXPECT_EQ(w.expr.LabelAreaNote.caption(), step.note);
    }
    EXPECT_EQ(w.state.area, 7.85e-5); // the state takes the area the box shows
}

TEST_F(WindowTest, DerivedQuantitiesFollowTheTypingAndIgnoreBadTexts) {
    struct Keq {
        const char *kf, *kb, *shown;
    };
    // 10/0.01, 1/3; 5/0 is infinite, 0/0 a frozen step; a divisor that is negative or not a
    // number keeps 6/3; then 6/4.
    for (const Keq &k : {Keq{"10", "0.01", "1e3"}, Keq{"1", "3", "3.333e-1"},
                         Keq{"5", "0", "\u221E"}, Keq{"0", "0", "-"}, Keq{"5", "-1", "2e0"},
                         Keq{"5", "abc", "2e0"}, Keq{"abc", "4", "1.5e0"}}) {
        expr.kf(2).setText("6");
        expr.kb(2).setText("3");
        ASSERT_EQ(expr.LabelKeq(2).caption(), "2e0");
        expr.kb(2).setText(k.kb);
        expr.kf(2).setText(k.kf);
        EXPECT_EQ(expr.LabelKeq(2).caption(), k.shown) << k.kf << "/" << k.kb;
    }
    expr.TextF.setText("20"); // tp is half the period 1/f; f = 0 keeps the earlier width
    EXPECT_EQ(expr.tp.text(), "0.025");
    expr.TextF.setText("0");
    EXPECT_EQ(expr.tp.text(), "0.025");
}

TEST_F(WindowTest, TickingAFitBoxOnAValueOutsideItsRangeProposesOneAroundIt) {
    openWithMechanism(7);
    struct Case {
        int entry;
        TextBox *value;
        const char *typed, *low, *high;
    };
    for (const Case &c : {Case{fitKf(1), &expr.kf(1), "1000", "10", "100000"}, // from 1..100
                          Case{fitE0(1), &expr.Eze(1), "0.5", "0.3", "0.7"},   // from -0.2..0.2
                          Case{fitConcentration(2), &expr.C(2), "0.5", "0.005", "50"},
                          Case{fitKs(1), &expr.ks(1), "5", "1e-4", "100"}}) { // inside: kept
        SCOPED_TRACE(c.entry);
        c.value->setText(c.typed);
        expr.CheckFitted(c.entry).setValue(1);
        EXPECT_EQ(expr.TextCmin(c.entry).text(), c.low);
        EXPECT_EQ(expr.TextCmax(c.entry).text(), c.high);
    }
}

} // namespace
} // namespace kemvo::test
