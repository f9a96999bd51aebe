#include "SetupFixture.h"

#include "setup/ParameterIntake.h"

#include <string>
#include <vector>

namespace kemvo::test {
namespace {

using WindowTest = SetupTest;

std::vector<std::string> cinit(const FormExpr &w, int count) {
    std::vector<std::string> shown;
    for (int j = 1; j <= count; ++j)
        shown.push_back(w.Cinit(j).caption());
    return shown;
}

TEST_F(WindowTest, FirstMechanismPreEquilibratedAtTheStartPotential) {
    app.mainWindow().menu("mnuExperimental").click();
    // Hand calculation: f = 96484.6 / (8.31441 * 298.14) = 38.923 /V,
    // theta = exp(38.923 * (0.1 - 0.3)) = 4.161e-4, v = theta * 1e-3 / (1 + theta) = 4.159e-7.
    EXPECT_EQ(cinit(expr, 2), (std::vector<std::string>{"9.996e-4", "4.159e-7"}));
    EXPECT_NEAR(state.fOverRT, 38.923, 5e-4);

    expr.CheckPreEqu.click();
    EXPECT_EQ(cinit(expr, 2), (std::vector<std::string>{"1e-3", "0"}));
}

// Pre-equilibration by mechanism group. E start = E0 of every step, so each charge step has
// theta = 1 and splits its couple evenly; kf/kb sets K1. Expected captions worked out by hand.
struct Group {
    int mechanism;
    std::vector<std::string> concentrations; // typed C(1..4)
    const char *kf;                          // kf(1), with kb(1) = 1
    const char *p;                           // pl(1)
    std::vector<std::string> expected;       // Cinit(1..4)
};

class PreEquilibriumTest : public SetupTest, public ::testing::WithParamInterface<Group> {};

TEST_P(PreEquilibriumTest, GroupRuleGivesHandWorkedValues) {
    const Group &group = GetParam();
    openWithMechanism(group.mechanism);
    for (int r = 1; r <= 3; ++r)
        expr.Eze(r).setText("0.1");
    expr.kb(1).setText("1");
    expr.kf(1).setText(group.kf);
    expr.pl(1).setText(group.p);
    for (int j = 1; j <= 4; ++j)
        expr.C(j).setText(group.concentrations[static_cast<std::size_t>(j - 1)]);
    expr.Estart.setText("0.1");
    EXPECT_EQ(cinit(expr, 4), group.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Mechanisms, PreEquilibriumTest,
    ::testing::Values(
        // A/B halves: (1e-3 - 0) / 2 moves to B.
        Group{1, {"1e-3", "0", "5e-4", "0"}, "1", "1", {"5e-4", "5e-4", "5e-4", "0"}},
        Group{16, {"2e-3", "1e-3", "0", "0"}, "1", "1", {"1.5e-3", "1.5e-3", "0", "0"}},
        // In series: A 1e-3 -> A 5e-4, B 5e-4 -> B 2.5e-4, C 2.5e-4 (-> C 1.25e-4, D 1.25e-4).
        Group{2, {"1e-3", "0", "0", "7"}, "1", "1", {"5e-4", "2.5e-4", "2.5e-4", "7e0"}},
        Group{3, {"1e-3", "0", "0", "0"}, "1", "1", {"5e-4", "2.5e-4", "1.25e-4", "1.25e-4"}},
        // Separate couples A/B and C/D.
        Group{13, {"1e-3", "0", "2e-3", "0"}, "1", "1", {"5e-4", "5e-4", "1e-3", "1e-3"}},
        // C = A with K1 = 3: u = (3*3e-3 - 1e-3)/4 = 2e-3 to A, then A 3e-3 halves with B.
        Group{5, {"1e-3", "0", "3e-3", "0"}, "3", "1", {"1.5e-3", "1.5e-3", "1e-3", "0"}},
        // A halves with B (5e-4 each), then B = C with K1 = 3: w = 3*5e-4/4 = 3.75e-4 to C.
        Group{7, {"1e-3", "0", "0", "0"}, "3", "1", {"5e-4", "1.25e-4", "3.75e-4", "0"}},
        // C = A + 2D, K1 = 3, Q = (2e-3)^2 = 4e-6: u = (3e-3 - 4e-9)/3.000004 = 9.99997e-4.
        Group{17, {"1e-3", "0", "1e-3", "2e-3"}, "3", "2", {"2e-3", "0", "2.667e-9", "2e-3"}}),
    [](const auto &test) { return "Mechanism" + std::to_string(test.param.mechanism); });

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

TEST_F(WindowTest, NonNumberSkipsOnlyItsStep) {
    app.mainWindow().menu("mnuExperimental").click();
    expr.C(1).setText("2e-3");
    // theta = 4.161e-4 as above: v = theta 2e-3 / (1 + theta) = 8.318e-7.
    EXPECT_EQ(cinit(expr, 2), (std::vector<std::string>{"1.999e-3", "8.318e-7"}));
    expr.Eze(1).setText("-"); // half typed: no equilibrium, A shows what was typed
    EXPECT_EQ(cinit(expr, 2), (std::vector<std::string>{"2e-3", "8.318e-7"}));
    expr.C(2).setText("1e-4");
    EXPECT_EQ(cinit(expr, 2), (std::vector<std::string>{"2e-3", "1e-4"}));
    expr.Eze(1).setText("0.1"); // v = (theta 2e-3 - 1e-4)/(1 + theta) = -9.913e-5
    EXPECT_EQ(cinit(expr, 2), (std::vector<std::string>{"2.099e-3", "8.734e-7"}));
    expr.Estart.setText("-50"); // theta = exp(1950) overflows: only the typed values remain
    EXPECT_EQ(cinit(expr, 2), (std::vector<std::string>{"2e-3", "1e-4"}));
}

struct Geometry {
    int electrode;
    const char *area; // shown in ARE for radius 0.3 cm, length 0.01 cm
    double volume;    // [cm^3] from radius 0.3 and length 0.01 read by the intake
};

class GeometryTest : public SetupTest, public ::testing::WithParamInterface<Geometry> {};

TEST_P(GeometryTest, AreaAndVolumeFromRadiusAndLength) {
    const Geometry &g = GetParam();
    expr.radius.setText("0.3");
    ASSERT_TRUE(takeParameters(app));
    expr.optElectrode(g.electrode).select();
    EXPECT_EQ(expr.ARE.text(), g.area);
    // Relative 1e-6: the hand values are written to seven digits.
    EXPECT_NEAR(state.electrodeVolume, g.volume, 1e-6 * g.volume);
}

// Areas by hand with pi = 3.14159: 4 pi r^2 = 1.1310, 2 pi r^2 = 0.56549, pi r^2 = 0.28274,
// pi r^2 + 2 pi r L = 0.30159, pi r^2 / 2 + pi r L = 0.15080.
INSTANTIATE_TEST_SUITE_P(
    Electrodes, GeometryTest,
    ::testing::Values(Geometry{1, "1", 0.01}, Geometry{2, "1.13e0", 0.1130973},
                      Geometry{3, "5.65e-1", 0.05654867}, Geometry{4, "2.83e-1", 0.00283},
                      Geometry{5, "3.02e-1", 0.002827433}, Geometry{6, "1.51e-1", 0.001413717},
                      Geometry{7, "1", 0.01}, Geometry{8, "2.83e-1", 0.00283}),
    [](const auto &test) { return "Electrode" + std::to_string(test.param.electrode); });

struct ElectrodeRows {
    int electrode;
    bool length, radius, locked, rotation;
    const char *lengthCaption;
};

class ElectrodeRowsTest : public SetupTest, public ::testing::WithParamInterface<ElectrodeRows> {};

TEST_P(ElectrodeRowsTest, RowsFollowTheGeometry) {
    const ElectrodeRows &e = GetParam();
    expr.optElectrode(e.electrode).select();
    EXPECT_EQ(state.electrode, e.electrode);
    EXPECT_EQ(expr.leng.visible(), e.length);
    EXPECT_EQ(expr.LabelLength.visible(), e.length);
    EXPECT_EQ(expr.LabelLength.caption(), e.lengthCaption);
    EXPECT_EQ(expr.radius.visible(), e.radius);
    EXPECT_EQ(expr.LabelRadius.visible(), e.radius);
    EXPECT_EQ(expr.ARE.locked(), e.locked);
    for (const Control *c : std::initializer_list<const Control *>{
             &expr.LabelVis, &expr.TextVis, &expr.LabelRrate, &expr.TextRrate})
        EXPECT_EQ(c->visible(), e.rotation) << c->name();
}

INSTANTIATE_TEST_SUITE_P(
    Electrodes, ElectrodeRowsTest,
    ::testing::Values(ElectrodeRows{1, false, false, false, false, "Length (cm)"},
                      ElectrodeRows{2, false, true, true, false, "Length (cm)"},
                      ElectrodeRows{4, false, true, true, false, "Length (cm)"},
                      ElectrodeRows{6, true, true, true, false, "Length (cm)"},
                      ElectrodeRows{7, true, false, false, false, "Thick (cm)"},
                      ElectrodeRows{8, false, true, true, true, "Length (cm)"}),
    [](const auto &test) { return "Electrode" + std::to_string(test.param.electrode); });

TEST_F(WindowTest, FilmThenCylinderRestoresTheLengthCaption) {
    expr.optElectrode(7).select();
    expr.optElectrode(5).select();
    EXPECT_EQ(expr.LabelLength.caption(), "Length (cm)");
}

TEST_F(WindowTest, SphereOfTheInitialRadiusHasUnitArea) {
    expr.optElectrode(2).select();
    EXPECT_EQ(expr.ARE.text(), "1e0"); // 4 pi 0.2821^2 = 1.00004
    EXPECT_EQ(state.area, 1);
}

struct KeqCase {
    const char *kf;
    const char *kb;
    const char *shown;
};

class KeqTest : public SetupTest, public ::testing::WithParamInterface<KeqCase> {};

TEST_P(KeqTest, RatioOfTheRateConstants) {
    expr.kf(2).setText("6");
    expr.kb(2).setText("3"); // a known caption to compare with: 6/3 = 2
    ASSERT_EQ(expr.LabelKeq(2).caption(), "2e0");
    expr.kb(2).setText(GetParam().kb);
    expr.kf(2).setText(GetParam().kf);
    EXPECT_EQ(expr.LabelKeq(2).caption(), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, KeqTest,
    ::testing::Values(KeqCase{"10", "0.01", "1e3"}, KeqCase{"1", "3", "3.333e-1"},
                      KeqCase{"5", "2", "2.5e0"}, KeqCase{"5", "0", "2e0"}, // not positive: kept
                      KeqCase{"5", "-1", "2e0"},                            // not positive: kept
                      KeqCase{"5", "abc", "2e0"},                           // not a number: kept
                      KeqCase{"abc", "4", "1.5e0"})); // 6/4 before kf is spoilt

struct TimingCase {
    const char *estep;
    const char *v;
    const char *td;
};

class DropTimeTest : public SetupTest, public ::testing::WithParamInterface<TimingCase> {};

TEST_P(DropTimeTest, StepOverRate) {
    expr.Estep.setText(GetParam().estep);
    expr.V.setText(GetParam().v);
    EXPECT_EQ(expr.td.text(), GetParam().td);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DropTimeTest,
    ::testing::Values(TimingCase{"0.005", "0.01", "0.5"}, TimingCase{"0.002", "0.1", "0.02"},
                      TimingCase{"-0.005", "0.01", "0.5"}, TimingCase{"0.005", "0", "0.5"},
                      TimingCase{"0.005", "x", "0.5"}, TimingCase{"1e-3", "100", "1E-05"}));

TEST_F(WindowTest, PulseWidthIsHalfThePeriod) {
    expr.TextF.setText("20");
    EXPECT_EQ(expr.tp.text(), "0.025");
    expr.TextF.setText("0");
    EXPECT_EQ(expr.tp.text(), "0.025");
    expr.TextF.setText("8");
    EXPECT_EQ(expr.tp.text(), "0.0625");
}

struct TechniqueRows {
    int technique;
    bool pulse, frequency, pulseWidth, rate;
};

class TechniqueRowsTest : public SetupTest, public ::testing::WithParamInterface<TechniqueRows> {};

TEST_P(TechniqueRowsTest, BoxesFollowTheTechnique) {
    const TechniqueRows &t = GetParam();
    tech.optTech(t.technique).select();
    app.mainWindow().menu("mnuExperimental").click();
    EXPECT_EQ(expr.Epulse.visible(), t.pulse);
    EXPECT_EQ(expr.TextF.visible(), t.frequency);
    EXPECT_EQ(expr.tp.enabled(), t.pulseWidth);
    EXPECT_EQ(expr.V.visible(), t.rate);
    EXPECT_TRUE(expr.LabelEpulse.visible()); // labels stay
    EXPECT_TRUE(expr.LabelF.visible());
}

INSTANTIATE_TEST_SUITE_P(Techniques, TechniqueRowsTest,
                         ::testing::Values(TechniqueRows{1, false, false, false, true},
                                           TechniqueRows{2, false, false, false, true},
                                           TechniqueRows{3, true, false, true, true},
                                           TechniqueRows{4, true, false, true, true},
                                           TechniqueRows{5, true, true, false, false}));

TEST_F(WindowTest, InitialRowsAreThoseOfTheFirstMechanism) {
    for (int j = 1; j <= 4; ++j) {
        EXPECT_EQ(expr.D(j).visible(), j <= 2) << j;
        EXPECT_EQ(expr.Cond(j - 1).visible(), j <= 2) << j;
    }
    EXPECT_TRUE(expr.heter(1).visible());
    EXPECT_FALSE(expr.heter(2).visible());
    EXPECT_FALSE(expr.homo(1).visible());
    EXPECT_FALSE(expr.FramePre.visible());
    EXPECT_TRUE(expr.TextCmin(1).visible()); // entry 1 starts ticked
    EXPECT_FALSE(expr.TextCmin(2).visible());
    EXPECT_TRUE(expr.CheckFitted(11).visible());
    EXPECT_FALSE(expr.CheckFitted(12).visible());
    EXPECT_EQ(expr.TextCmax(13).text(), "0.3");
    EXPECT_EQ(expr.TextCmin(17).text(), "0.001");
}

TEST_F(WindowTest, SquareSchemeShowsFourSpeciesTwoCouplesTwoEquilibria) {
    openWithMechanism(13);
    EXPECT_EQ(state.speciesCount, 4);
    EXPECT_EQ(state.chargeCount, 2);
    EXPECT_EQ(state.chemCount, 2);
    for (int j = 1; j <= 4; ++j)
        EXPECT_TRUE(expr.C(j).visible() && expr.CheckFitted(j).visible()) << j;
    EXPECT_EQ(expr.heter(1).caption(), "A+ne=B");
    EXPECT_EQ(expr.heter(2).caption(), "C+ne=D");
    EXPECT_FALSE(expr.ks(3).visible());
    EXPECT_EQ(expr.homo(1).caption(), "B=D");
    EXPECT_EQ(expr.homo(2).caption(), "C=A");
    EXPECT_FALSE(expr.kf(3).visible());
    for (int i : {fitKs(2), fitAlpha(2), fitE0(2), fitKf(2), fitKb(2)})
        EXPECT_TRUE(expr.CheckFitted(i).visible()) << i;
    for (int i : {fitKs(3), fitKf(3), fitKb(3)})
        EXPECT_FALSE(expr.CheckFitted(i).visible()) << i;

    // Back to a two-species mechanism: the rows and their fit entries go, the ranges too.
    expr.CheckFitted(4).click();
    EXPECT_TRUE(expr.TextCmax(4).visible());
    openWithMechanism(1);
    EXPECT_FALSE(expr.C(4).visible());
    EXPECT_FALSE(expr.CheckFitted(4).visible());
    EXPECT_FALSE(expr.TextCmax(4).visible());
    EXPECT_FALSE(expr.homo(1).visible());
}

TEST_F(WindowTest, FitTickShowsItsRange) {
    expr.CheckFitted(5).click();
    EXPECT_TRUE(expr.TextCmin(5).visible());
    EXPECT_TRUE(expr.TextCmax(5).visible());
    expr.CheckFitted(5).click();
    EXPECT_FALSE(expr.TextCmin(5).visible());
}

TEST_F(WindowTest, LoadSelectsTheStatesElectronAndStoichiometricNumbers) {
    HeadlessPlatform otherPlatform;
    Application other(otherPlatform.platform());
    other.state().electrons[2] = 3;
    other.state().stoich[3] = 4;
    FormExpr &fresh = other.form<FormExpr>(); // first use loads it
    EXPECT_EQ(fresh.NEL(2).text(), "3");
    EXPECT_EQ(fresh.pl(3).text(), "4");
    EXPECT_EQ(fresh.NEL(1).text(), "1");
}

} // namespace
} // namespace kemvo::test
