#include "SetupFixture.h"

#include "setup/ParameterIntake.h"

namespace kemvo::test {
namespace {

using IntakeTest = SetupTest;

TEST_F(IntakeTest, InitialTextsReachTheStateInWorkingUnits) {
    ASSERT_TRUE(takeParameters(app));
    EXPECT_EQ(state.cycles, 0.5); // "Single"
    EXPECT_EQ(state.eStart, 0.3);
    EXPECT_EQ(state.eEnd, -0.3);
    EXPECT_EQ(state.eStep, 0.005);
    EXPECT_EQ(state.scanRate, 0.01);
    // 25 degrees Celsius + 273.14; one rounding of the sum allowed.
    EXPECT_DOUBLE_EQ(state.temperatureK, 298.14);
    // 100 rpm * 3.141592654 / 30 = 10.47197551 rad/s; the digits given are all the constant has.
    EXPECT_NEAR(state.rotationRate, 10.47197551, 5e-9);
    EXPECT_EQ(state.dropTime, 0.5);
    EXPECT_EQ(state.pulseTime, 0.05);
    EXPECT_EQ(state.pulseAmplitude, -0.05);
    EXPECT_EQ(state.radius, 0.2821);
    EXPECT_EQ(state.length, 0.01);
    EXPECT_EQ(state.viscosity, 0.01);
    EXPECT_EQ(state.supportConc, 0.01);
    EXPECT_EQ(state.supportCond, 100);
    EXPECT_EQ(state.area, 1);
    EXPECT_DOUBLE_EQ(state.electrodeVolume, 0.01); // planar: area 1 cm2 * 0.01 cm
    for (int r = 1; r <= 3; ++r) {
        EXPECT_EQ(state.alpha[r], 0.5);
        EXPECT_EQ(state.ks[r], 1e4);
        EXPECT_EQ(state.electrons[r], 1);
        EXPECT_EQ(state.stoich[r], 1);
        EXPECT_EQ(state.kf[r], 10);
        EXPECT_EQ(state.kb[r], 0.01);
    }
    EXPECT_EQ(state.e0[2], -0.1);
    EXPECT_EQ(state.e0[3], -0.2);
    for (int j = 1; j <= 4; ++j) {
        EXPECT_EQ(state.diffusion[j], 1e-5);
        EXPECT_EQ(state.speciesCond[j], 100.0 * j);
    }
}

TEST_F(IntakeTest, StepAndRateAreStoredAsMagnitudes) {
    expr.Estep.setText("-0.005");
    expr.V.setText("-0.1");
    ASSERT_TRUE(takeParameters(app));
    EXPECT_EQ(state.eStep, 0.005);
    EXPECT_EQ(state.scanRate, 0.1);
}

TEST_F(IntakeTest, LenientFieldsReadTheLeadingNumber) {
    expr.txttemp.setText("warm");
    expr.Estart.setText("  0.25 V");
    expr.NEL(2).setText("2");
    expr.pl(1).setText("3");
    ASSERT_TRUE(takeParameters(app));
    EXPECT_DOUBLE_EQ(state.temperatureK, 273.14);
    EXPECT_EQ(state.eStart, 0.25);
    EXPECT_EQ(state.electrons[2], 2);
    EXPECT_EQ(state.stoich[1], 3);
}

TEST_F(IntakeTest, CyclesFollowTheScanOption) {
    expr.option10.select();
    ASSERT_TRUE(takeParameters(app));
    EXPECT_EQ(state.cycles, 1);
    expr.Option11.select();
    ASSERT_TRUE(takeParameters(app));
    EXPECT_EQ(state.cycles, 2);
}

TEST_F(IntakeTest, CaseCodeOnlyForTheAnalyticalSimulation) {
    tech.CheckDigital.click();
    tech.optTech(3).select();
    expr.optElectrode(4).select();
    ASSERT_TRUE(takeParameters(app));
    EXPECT_EQ(state.caseCode, 34);
    tech.CheckDigital.click();
    tech.optTech(2).select();
    ASSERT_TRUE(takeParameters(app));
    EXPECT_EQ(state.caseCode, 34); // kept from the last analytical intake
}

TEST_F(IntakeTest, AreaFollowsTheRadiusWhenRead) {
    expr.optElectrode(2).select();
    expr.radius.setText("0.5"); // typed: ARE follows at once
    ASSERT_TRUE(takeParameters(app));
    // 4 pi 0.25 = 3.14159 shown as "3.14e0"; the state takes the shown value.
    EXPECT_EQ(expr.ARE.text(), "3.14e0");
    EXPECT_EQ(state.area, 3.14);
    // Sphere volume from the radius just read: 4/3 pi 0.125 = 0.5235988.
    EXPECT_NEAR(state.electrodeVolume, 0.5235988, 1e-7);
}

TEST_F(IntakeTest, ThreeRowsAndFourSpeciesAreReadWhateverTheMechanism) {
    mech.mech(9).select();
    expr.C(3).setText("2e-3"); // hidden row of a two-species mechanism
    expr.kf(3).setText("7");
    ASSERT_TRUE(takeParameters(app));
    EXPECT_EQ(state.speciesCount, 2);
    EXPECT_EQ(state.cInit[3], 2e-3);
    EXPECT_EQ(state.kf[3], 7);
}

struct BadField {
    const char *name;
    void (*spoil)(FormExpr &);
    const char *message;
};

class IntakeFailureTest : public SetupTest, public ::testing::WithParamInterface<BadField> {};

TEST_P(IntakeFailureTest, BadFieldStopsWithMessageAndStateUnchanged) {
    ASSERT_TRUE(takeParameters(app));
    const ExperimentState before = state;
    mech.mech(13).select();
    expr.option10.select();
    expr.Estart.setText("0.4");
    GetParam().spoil(expr);

    EXPECT_FALSE(takeParameters(app));
    ASSERT_EQ(platform.messages.shown.size(), 1u);
    EXPECT_EQ(platform.messages.shown.front(), GetParam().message);
    // Fields written before the bad one are restored too.
    EXPECT_EQ(state.mechanism, before.mechanism);
    EXPECT_EQ(state.speciesCount, before.speciesCount);
    EXPECT_EQ(state.cycles, before.cycles);
    EXPECT_EQ(state.eStart, before.eStart);
    EXPECT_EQ(state.eStep, before.eStep);
    EXPECT_EQ(state.scanRate, before.scanRate);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, IntakeFailureTest,
    ::testing::Values(BadField{"StepNotANumber", [](FormExpr &w) { w.Estep.setText("5mV"); },
                               "E step (V): \"5mV\" is not a number"},
                      BadField{"StepEmpty", [](FormExpr &w) { w.Estep.setText(""); },
                               "E step (V): \"\" is not a number"},
                      BadField{"RateNotANumber", [](FormExpr &w) { w.V.setText("fast"); },
                               "v (V/s): \"fast\" is not a number"},
                      BadField{"RateTooLarge", [](FormExpr &w) { w.V.setText("1e999"); },
                               "v (V/s): Overflow"}),
    [](const auto &test) { return std::string(test.param.name); });

TEST_F(IntakeTest, OkHidesOnlyWhenTheWindowReads) {
    app.mainWindow().menu("mnuExperimental").click();
    expr.Estep.setText("x");
    expr.OK.click();
    EXPECT_TRUE(expr.visible());
    EXPECT_EQ(platform.messages.shown.size(), 1u);
    expr.Estep.setText("0.002");
    expr.OK.click();
    EXPECT_FALSE(expr.visible());
    EXPECT_EQ(state.eStep, 0.002);
}

TEST_F(IntakeTest, ActivationWithABadFieldIsQuiet) {
    expr.Estep.setText("x");
    app.mainWindow().menu("mnuExperimental").click();
    EXPECT_TRUE(platform.messages.shown.empty());
    EXPECT_EQ(state.eStep, 0); // never read
    EXPECT_EQ(state.mechanism, 1);
}

} // namespace
} // namespace kemvo::test
