#include "SetupFixture.h"

#include "setup/ParameterIntake.h"

namespace kemvo::test {
namespace {

using ChoosersTest = SetupTest;

TEST_F(ChoosersTest, StartUpTakesDigitalSimulationFromTheTickedBox) {
    EXPECT_EQ(tech.caption(), "Techniques");
    EXPECT_EQ(mech.caption(), "Mechanism");
    EXPECT_EQ(expr.caption(), "Experimental");
    EXPECT_EQ(state.digital, 1);
    EXPECT_EQ(state.electrode, 1);
    EXPECT_TRUE(tech.optTech(1).value());
    EXPECT_TRUE(mech.mech(1).value());
    EXPECT_TRUE(expr.optElectrode(1).value());
    // Step 1 of the availability rule holds before the box is ever clicked.
    EXPECT_FALSE(expr.optElectrode(7).enabled());
    EXPECT_FALSE(expr.optElectrode(8).enabled());
    EXPECT_TRUE(expr.Ru.enabled());
    EXPECT_EQ(mech.mech(16).toolTip(), "catalytic (EC') reaction");
}

TEST_F(ChoosersTest, SimulationBeforeAnyChooserUsesTheFirstEntries) {
    ASSERT_TRUE(takeParameters(app));
    EXPECT_EQ(state.technique, 1);
    EXPECT_EQ(state.mechanism, 1);
    EXPECT_EQ(state.electrode, 1);
    EXPECT_EQ(state.digital, 1);
    EXPECT_EQ(state.speciesCount, 2);
    EXPECT_EQ(state.chargeCount, 1);
    EXPECT_EQ(state.chemCount, 0);
    EXPECT_EQ(state.columnCount, 2);
}

TEST_F(ChoosersTest, ClearingDigitalOffersOnlyTheAnalyticalChoices) {
    mech.mech(7).select();
    tech.CheckDigital.click();
    EXPECT_EQ(state.digital, 0);
    for (int code = 1; code <= 17; ++code)
        EXPECT_EQ(mech.mech(code).enabled(), code == 1 || code == 4 || code == 9) << code;
    for (int k = 1; k <= 8; ++k)
        EXPECT_TRUE(expr.optElectrode(k).enabled()) << k;
    EXPECT_FALSE(expr.Ru.enabled());
    // Availability only: mechanism 7 stays selected and is still what the intake reads.
    EXPECT_TRUE(mech.mech(7).value());
    ReadChoices(app);
    EXPECT_EQ(state.mechanism, 7);
}

TEST_F(ChoosersTest, TickingAgainDisablesFilmAndDiskEvenWhenSelected) {
    tech.CheckDigital.click();
    expr.optElectrode(8).select();
    tech.CheckDigital.click();
    EXPECT_EQ(state.digital, 1);
    EXPECT_FALSE(expr.optElectrode(8).enabled());
    EXPECT_TRUE(expr.optElectrode(8).value());
    EXPECT_EQ(state.electrode, 8);
    for (int code = 1; code <= 17; ++code)
        EXPECT_TRUE(mech.mech(code).enabled()) << code;
    EXPECT_TRUE(expr.Ru.enabled());
}

TEST_F(ChoosersTest, TechniqueIsReadWithOrWithoutOk) {
    app.mainWindow().menu("mnuTech").click();
    EXPECT_TRUE(tech.visible());
    tech.optTech(3).select();
    EXPECT_EQ(state.technique, 0); // nothing read yet
    tech.CmdOK.click();
    EXPECT_EQ(state.technique, 3);
    EXPECT_FALSE(tech.visible());

    tech.optTech(5).select();
    ASSERT_TRUE(takeParameters(app));
    EXPECT_EQ(state.technique, 5);
}

TEST_F(ChoosersTest, MechanismOkReadsTheCountsAndHides) {
    app.mainWindow().menu("mnuMechamism").click();
    EXPECT_TRUE(mech.visible());
    mech.mech(13).select();
    mech.Command1.click();
    EXPECT_FALSE(mech.visible());
    EXPECT_EQ(state.mechanism, 13);
    EXPECT_EQ(state.speciesCount, 4);
    EXPECT_EQ(state.chargeCount, 2);
    EXPECT_EQ(state.chemCount, 2);
    EXPECT_EQ(state.columnCount, 4);
}

} // namespace
} // namespace kemvo::test
