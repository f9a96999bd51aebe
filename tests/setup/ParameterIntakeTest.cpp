#include "SetupFixture.h"

#include "setup/ParameterIntake.h"

#include <cmath>

namespace kemvo::test {
namespace {

using IntakeTest = SetupTest;

// The window's units become working units: 25 degrees Celsius + 273.14 K (one rounding of the
// sum allowed); 100 rpm * 3.141592654 / 30 = 10.47197551 rad/s (the digits given are all the
// constant has); a planar electrode of 1 cm2 is 0.01 cm deep: 0.01 cm3; "Single" is half a cycle.
TEST_F(IntakeTest, InitialTextsReachTheStateInWorkingUnits) {
    ASSERT_TRUE(takeParameters(app));
    EXPECT_DOUBLE_EQ(state.temperatureK, 298.14);
    EXPECT_NEAR(state.rotationRate, 10.47197551, 5e-9);
    EXPECT_DOUBLE_EQ(state.electrodeVolume, 0.01);
    EXPECT_EQ(state.cycles, 0.5);
}

TEST_F(IntakeTest, TypedTextsAreReadAsTheyAreMeant) {
    expr.Estep.setText("-0.005"); // step and rate are kept as magnitudes
    expr.V.setText("-0.1");
    expr.Estart.setText("  \u22120.25 "); // the Unicode minus sign, blanks around
    expr.NEL(2).setText("2");
    expr.pl(1).setText("3");
    mech.mech(9).select(); // two species: the hidden rows are read all the same
    expr.C(3).setText("2e-3");
    expr.kf(3).setText("7");
    expr.option10.select();
    ASSERT_TRUE(takeParameters(app));
    EXPECT_EQ(state.eStep, 0.005);
    EXPECT_EQ(state.scanRate, 0.1);
    EXPECT_EQ(state.eStart, -0.25);
    EXPECT_EQ(state.electrons[2], 2);
    EXPECT_EQ(state.stoich[1], 3);
    EXPECT_EQ(state.speciesCount, 2);
    EXPECT_EQ(state.cInit[3], 2e-3);
    EXPECT_EQ(state.kf[3], 7);
    EXPECT_EQ(state.cycles, 1);
}

// Each box in use refuses what the physics does not allow, with one message that names the box
// as the window shows it and says what it may hold; the refused box asks for the focus, and
// the fields written before it are restored. Under the default mechanism (one step, species A
// and B: every row the cases name is in use) and under mechanism 13 (two steps, four species).
TEST(Intake, EveryBoxInUseIsReadStrictlyAndABadOneChangesNothing) {
    struct Case {
        const char *box;
        int index;
        const char *text, *message;
    };
    const Case cases[] = {
        {"Estep", -1, "5mV",
         "E step (V): \"5mV\" is not a number; it must be a number other than 0"},
        {"Estep", -1, "\xff\x01", // the bytes of a binary text escaped
         "E step (V): \"\\xFF\\x01\" is not a number; it must be a number other than 0"},
        {"V", -1, "1e999", "v (V/s): \"1e999\" is too large; it must be a number other than 0"},
        {"V", -1, "0", "v (V/s): must be a number other than 0, not \"0\""},
        {"ks", 1, "-1e-3",
         "ks (cm/s), step 1 (A+ne=B): must be a number of 0 or more, not \"-1e-3\""},
        {"ks", 1, "1,5e-3",
         "ks (cm/s), step 1 (A+ne=B): \"1,5e-3\" has a decimal comma; write it with a decimal "
         "point: 1.5e-3"},
        {"NEL", 1, "0", "n, step 1 (A+ne=B): must be a number of 1 or more, not \"0\""},
        {"D", 2, "0", "D (cm \u00B2/s), species B: must be a number greater than 0, not \"0\""},
        {"alph", 1, "1.5", "\u03B1, step 1 (A+ne=B): must be a number from 0 to 1, not \"1.5\""},
        {"txttemp", -1, "-273.14",
         "T ( \u00B0C): must be a number greater than -273.14, not \"-273.14\""},
        {"Noise", -1, "x", "Noise (%): \"x\" is not a number; it must be a number of 0 or more"},
        // The resistance box of the finite-difference simulation once read "1,5e3" as 1 ohm,
        // "2k" as 2 and "-500" as 0, without a word.
        {"Ru", -1, "1,5e3",
         "R (\u03A9): \"1,5e3\" has a decimal comma; write it with a decimal point: 1.5e3"},
        {"Ru", -1, "2k", "R (\u03A9): \"2k\" is not a number; it must be a number of 0 or more"},
        {"Ru", -1, "-500", "R (\u03A9): must be a number of 0 or more, not \"-500\""},
    };
    for (int mechanism : {1, 13})
        for (const Case &bad : cases) {
            SCOPED_TRACE(testing::Message() << "mechanism " << mechanism << ": " << bad.message);
            SetupBench w;
            ASSERT_TRUE(takeParameters(w.app));
            const ExperimentState before = w.state;
            w.mech.mech(mechanism).select();
            w.expr.option10.select();
            w.expr.Estart.setText("0.4");
            auto type = [&bad](auto &control) -> Control * {
                control.setText(bad.text);
                return &control;
            }; // n is a combo box the user may type into
            Control *box = std::string(bad.box) == "NEL"
                               ? type(w.expr.NEL(bad.index))
                               : type(w.app.control<TextBox>("FormExpr", bad.box, bad.index));
            int focused = 0;
            box->focusRequested.connect([&focused] { ++focused; });
            EXPECT_FALSE(takeParameters(w.app));
            EXPECT_EQ(w.platform.messages.shown, std::vector<std::string>{bad.message});
            EXPECT_EQ(focused, 1);
            EXPECT_EQ(w.state.mechanism, before.mechanism);
            EXPECT_EQ(w.state.cycles, before.cycles);
            EXPECT_EQ(w.state.eStart, before.eStart);
            EXPECT_EQ(w.state.eStep, before.eStep);
        }
}

// The state takes the derived values themselves, not their rounded labels: A pre-equilibrated
// at E start = 0.3 V against E0 = 0.1 V keeps c / (1 + exp(-0.2 F/RT)) (Nernst), 9.99584e-4 M,
// which the window shows as 9.996e-4.
TEST_F(IntakeTest, DerivedValuesAreTakenAtFullPrecision) {
    app.mainWindow().menu("mnuExperimental").click();
    expr.OK.click();
    const double nernst = 1e-3 / (1 + std::exp(-0.2 * 96484.6 / (8.31441 * 298.14)));
    EXPECT_EQ(expr.Cinit(1).caption(), "9.996e-4");
    EXPECT_NEAR(state.cInit[1], nernst, 1e-15 * nernst); // the label would be 4e-7 off
}

// The boxes of a row the mechanism or electrode does not use are not held against the user.
TEST_F(IntakeTest, BoxesNotInUseAreReadLeniently) {
    expr.D(3).setText("0");     // species C: not in mechanism 1
    expr.radius.setText("abc"); // planar: the area is typed
    expr.tp.setText("0");       // linear sweep: no pulse
    ASSERT_TRUE(takeParameters(app));
    EXPECT_EQ(state.diffusion[3], 0);
    expr.optElectrode(2).select();
    EXPECT_FALSE(takeParameters(app));
    EXPECT_EQ(platform.messages.shown.back(),
              "Radius (cm): \"abc\" is not a number; it must be a number greater than 0");
}

// In the pulse techniques the drop must outlast the pulse; the message names both boxes.
TEST_F(IntakeTest, PulseLongerThanTheDropIsRefused) {
    tech.optTech(3).select();
    expr.td.setText("0.05");
    expr.tp.setText("0.05");
    EXPECT_FALSE(takeParameters(app));
    EXPECT_EQ(platform.messages.shown,
              std::vector<std::string>{
                  "t drop  (s): must be longer than t pulse (s) in the pulse techniques"});
}

// The closed forms exist for mechanisms 1, 4 and 9 only and for the thin film and the rotating
// disk only; the fine grid counts in the digital simulation only, and so does the solution
// resistance of a sweep (DC and the pulse techniques charge the double layer through it).
// What is disabled stays selected and is what the intake reads.
TEST_F(IntakeTest, DigitalBoxSetsWhatIsAvailableNotWhatIsSelected) {
    EXPECT_FALSE(expr.optElectrode(7).enabled() || expr.optElectrode(8).enabled()); // at start
    mech.mech(7).select();
    for (int digital : {0, 1}) {
        SCOPED_TRACE(digital);
        tech.CheckDigital.click();
        EXPECT_EQ(state.digital, digital);
        for (int code = 1; code <= 17; ++code)
            EXPECT_EQ(mech.mech(code).enabled(), digital || code == 1 || code == 4 || code == 9)
                << code;
        EXPECT_EQ(expr.optElectrode(7).enabled() || expr.optElectrode(8).enabled(), !digital);
        EXPECT_EQ(expr.Ru.enabled() && tech.CheckFine.enabled(), digital == 1);
        tech.optTech(2).select();
        tech.CmdOK.click();
        tech.CheckDigital.click();
        tech.CheckDigital.click(); // back as it was, now for DC
        EXPECT_TRUE(expr.Ru.enabled());
        tech.optTech(1).select();
        tech.CmdOK.click();
        if (digital == 0) {
            ReadChoices(app);
            EXPECT_EQ(state.mechanism, 7);
            expr.optElectrode(8).select();
        }
    }
    EXPECT_EQ(state.electrode, 8);
    EXPECT_FALSE(tech.CheckFine.checked()); // offered, not chosen
}

} // namespace
} // namespace kemvo::test
