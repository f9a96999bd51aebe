#include "setup/Catalogue.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace kemvo {
namespace {

// The counts as the chemist reads them off each reaction scheme: species among A..D,
// electron transfers "+ne" and homogeneous equilibria.
struct Counts {
    int code, species, charge, chem;
};
constexpr Counts kSchemes[] = {
    {1, 2, 1, 0},  {2, 3, 2, 0},  {3, 4, 3, 0},  {4, 4, 2, 0},  {5, 3, 1, 1},  {6, 4, 1, 2},
    {7, 3, 1, 1},  {8, 3, 1, 1},  {9, 2, 1, 1},  {10, 2, 1, 1}, {11, 4, 2, 1}, {12, 4, 2, 1},
    {13, 4, 2, 2}, {14, 4, 2, 1}, {15, 4, 2, 1}, {16, 4, 1, 1}, {17, 4, 1, 1}};

TEST(Catalogue, EveryMechanismHasTheCountsOfItsScheme) {
    for (const Counts &expected : kSchemes) {
        SCOPED_TRACE(expected.code);
        const MechanismEntry *entry = findMechanism(expected.code);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->speciesCount, expected.species);
        EXPECT_EQ(entry->chargeCount(), expected.charge);
        EXPECT_EQ(entry->chemCount(), expected.chem);
        // The caption starts with the code, as the chooser lists them.
        EXPECT_EQ(std::string(entry->caption).rfind(std::to_string(expected.code) + ")  ", 0), 0u);
    }
}

TEST(Catalogue, StepsOnlyInvolveTheMechanismsSpecies) {
    for (int code = 1; code <= kMechanismCount; ++code) {
        SCOPED_TRACE(code);
        const MechanismEntry &entry = *findMechanism(code);
        std::set<char> used;
        for (std::string_view step : entry.chargeSteps)
            for (char c : step)
                if (c >= 'A' && c <= 'D')
                    used.insert(c);
        for (std::string_view step : entry.chemSteps)
            for (char c : step)
                if (c >= 'A' && c <= 'D')
                    used.insert(c);
        EXPECT_EQ(static_cast<int>(used.size()), entry.speciesCount);
        EXPECT_EQ(*used.rbegin(), 'A' + entry.speciesCount - 1);
    }
}

TEST(Catalogue, SquareSchemeHasTwoCouplesAndTwoEquilibria) {
    const MechanismEntry &square = *findMechanism(13);
    EXPECT_EQ(square.chargeSteps[0], "A+ne=B");
    EXPECT_EQ(square.chargeSteps[1], "C+ne=D");
    EXPECT_EQ(square.chemSteps[0], "B=D");
    EXPECT_EQ(square.chemSteps[1], "C=A");
    EXPECT_EQ(square.className, "square reaction");
}

TEST(Catalogue, OnlyOneFourAndNineHaveClosedForms) {
    std::set<int> analytical;
    for (int code = 1; code <= kMechanismCount; ++code)
        if (findMechanism(code)->analytical)
            analytical.insert(code);
    EXPECT_EQ(analytical, (std::set<int>{1, 4, 9}));
}

TEST(Catalogue, MechanismsTwelveAndFifteenHaveNoToolTip) {
    for (int code = 1; code <= kMechanismCount; ++code)
        EXPECT_EQ(findMechanism(code)->className.empty(), code == 12 || code == 15) << code;
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
} // namespace kemvo
