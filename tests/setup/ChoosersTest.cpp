#include "SetupFixture.h"

#include "setup/Catalogue.h"
#include "setup/ParameterIntake.h"

#include <set>

namespace kemvo::test {
namespace {

using ChoosersTest = SetupTest;

TEST_F(ChoosersTest, StartUpOffersTheFirstEntriesAndDigitalSimulation) {
    EXPECT_EQ(tech.caption(), "Techniques");
    EXPECT_EQ(mech.caption(), "Mechanism");
    EXPECT_EQ(expr.caption(), "Experimental");
    EXPECT_EQ(state.digital, 1);
    EXPECT_TRUE(tech.optTech(1).value() && mech.mech(1).value() && expr.optElectrode(1).value());
    // Film and disk are greyed while digital simulation is ticked, before any click too.
    EXPECT_FALSE(expr.optElectrode(7).enabled() || expr.optElectrode(8).enabled());
    EXPECT_TRUE(expr.Ru.enabled());
    EXPECT_EQ(mech.mech(16).toolTip(), "catalytic (EC') reaction");
}

TEST_F(ChoosersTest, DigitalBoxSetsWhatIsAvailableNotWhatIsSelected) {
    mech.mech(7).select();
    tech.CheckDigital.click();
    EXPECT_EQ(state.digital, 0);
    for (int code = 1; code <= 17; ++code)
        EXPECT_EQ(mech.mech(code).enabled(), code == 1 || code == 4 || code == 9) << code;
    for (int k = 1; k <= 8; ++k)
        EXPECT_TRUE(expr.optElectrode(k).enabled()) << k;
    EXPECT_FALSE(expr.Ru.enabled());
    EXPECT_FALSE(tech.CheckFine.enabled());
    EXPECT_TRUE(mech.mech(7).value()); // still selected and still what the intake reads
    ReadChoices(app);
    EXPECT_EQ(state.mechanism, 7);

    expr.optElectrode(8).select();
    tech.CheckDigital.click();
    EXPECT_EQ(state.digital, 1);
    EXPECT_FALSE(expr.optElectrode(8).enabled());
    EXPECT_TRUE(expr.optElectrode(8).value());
    EXPECT_EQ(state.electrode, 8);
    for (int code = 1; code <= 17; ++code)
        EXPECT_TRUE(mech.mech(code).enabled()) << code;
    EXPECT_TRUE(expr.Ru.enabled());
    EXPECT_TRUE(tech.CheckFine.enabled());
    EXPECT_FALSE(tech.CheckFine.checked()); // offered, not chosen
}

TEST_F(ChoosersTest, OkReadsTheChoiceAndHidesAndTheIntakeReadsItWithoutOk) {
    app.mainWindow().menu("mnuTech").click();
    EXPECT_TRUE(tech.visible());
    tech.optTech(3).select();
    EXPECT_EQ(state.technique, 0); // nothing read yet
    tech.CmdOK.click();
    EXPECT_EQ(state.technique, 3);
    EXPECT_FALSE(tech.visible());

    app.mainWindow().menu("mnuMechamism").click();
    EXPECT_TRUE(mech.visible());
    mech.mech(13).select();
    mech.Command1.click();
    EXPECT_FALSE(mech.visible());
    EXPECT_EQ(state.mechanism, 13);
    EXPECT_EQ(state.speciesCount, 4); // A..D of the square scheme
    EXPECT_EQ(state.columnCount, 4);

    tech.optTech(5).select();
    ASSERT_TRUE(takeParameters(app));
    EXPECT_EQ(state.technique, 5);
}

// As the chemist reads them off each reaction scheme: species among A..D, electron transfers
// "+ne", homogeneous equilibria; the closed forms exist for 1, 4 and 9 only; 12 and 15 have
// no class name for the tool tip.
TEST(Catalogue, EveryMechanismHasTheCountsOfItsScheme) {
    struct Counts {
        int code, species, charge, chem;
        bool analytical, tip;
    };
    const Counts schemes[] = {
        {1, 2, 1, 0, true, true},   {2, 3, 2, 0, false, true},  {3, 4, 3, 0, false, true},
        {4, 4, 2, 0, true, true},   {5, 3, 1, 1, false, true},  {6, 4, 1, 2, false, true},
        {7, 3, 1, 1, false, true},  {8, 3, 1, 1, false, true},  {9, 2, 1, 1, true, true},
        {10, 2, 1, 1, false, true}, {11, 4, 2, 1, false, true}, {12, 4, 2, 1, false, false},
        {13, 4, 2, 2, false, true}, {14, 4, 2, 1, false, true}, {15, 4, 2, 1, false, false},
        {16, 4, 1, 1, false, true}, {17, 4, 1, 1, false, true}};
    static_assert(std::size(schemes) == kMechanismCount);
    for (const Counts &expected : schemes) {
        SCOPED_TRACE(expected.code);
        const MechanismEntry *entry = findMechanism(expected.code);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->speciesCount, expected.species);
        EXPECT_EQ(entry->chargeCount(), expected.charge);
        EXPECT_EQ(entry->chemCount(), expected.chem);
        EXPECT_EQ(entry->analytical, expected.analytical);
        EXPECT_EQ(!entry->className.empty(), expected.tip);
        // The caption starts with the code, as the chooser lists them.
        EXPECT_TRUE(std::string(entry->caption).starts_with(std::to_string(expected.code) + ")  "));
        // The steps name exactly the species A.. up to the count.
        std::string steps;
        for (std::string_view step : entry->chargeSteps)
            steps += step;
        for (std::string_view step : entry->chemSteps)
            steps += step;
        std::set<char> used;
        for (char c : steps)
            if (c >= 'A' && c <= 'D')
                used.insert(c);
        EXPECT_EQ(static_cast<int>(used.size()), entry->speciesCount);
        EXPECT_EQ(*used.rbegin(), 'A' + entry->speciesCount - 1);
    }
}

TEST(Catalogue, CodesOutsideTheCatalogue) {
    EXPECT_EQ(findMechanism(0), nullptr);
    EXPECT_EQ(findMechanism(18), nullptr);
    EXPECT_THROW(techniqueCaption(6), std::out_of_range);
    EXPECT_THROW(electrodeCaption(0), std::out_of_range);
    EXPECT_EQ(techniqueCaption(5), "5)  Square wave voltammetry");
    EXPECT_EQ(electrodeCaption(8), "8)  Rotating disk");
}

} // namespace
} // namespace kemvo::test
