#include "simulation/DisplayedQuantity.h"

#include "shell/RuntimeError.h"

#include <gtest/gtest.h>

#include <memory>

namespace kemvo {
namespace {

// Stores as a two-species simulation into column 3 leaves them: total current in column 2 of
// reactionCurrent, surface concentrations of A and B (none when not conducting, with no
// supporting electrolyte either); every curve holds 42 before.
struct Stores {
    ExperimentState state;
    std::unique_ptr<CurveStore> store = std::make_unique<CurveStore>();

    Stores(const char *choice, double length, bool conducting = true) {
        state.chargeCount = 1;
        state.speciesCount = 2;
        state.simSlot = state.currentCurve = 3;
        state.curveCount = 1;
        state.firstPoint = 1;
        state.lastPoint = 10;
        state.area = 0.5;
        state.supportConc = conducting ? 0.01 : 0;
        state.supportCond = 100;
        state.speciesCond = {0, 100, 200, 300, 400, 0};
        for (int i = 1; i <= 10; ++i) {
            store->reactionCurrent(i, 2) = -1e-6 * i;
            store->surfaceConc(i, 1) = conducting ? 1e-3 * (1 - 0.1 * i) : 0;
            store->surfaceConc(i, 2) = conducting ? 1e-4 * i : 0;
            store->surfaceConc(i, 3) = 7; // not a species of the mechanism: ignored
            for (int k = 1; k <= 5; ++k)
                store->curves(i, k) = 42;
        }
        DeriveDisplayedQuantity(state, *store, choice, length);
    }
    double at(int i, int k) const { return store->curves(i, k); }
};

TEST(DisplayedQuantity, EachChoiceFillsItsColumns) {
    const Stores current(kShowCurrent, 0), concentration(kShowSurfaceConcentration, 0);
    // kappa(5) = 0.01*100 + 0.5e-3*100 + 5e-4*200 = 1.15 by hand; L = 2 cm and A = 0.5 cm^2.
    const Stores resistance(kShowResistance, 2), conductance(kShowConductance, 2);
    const Stores unknown("current", 2);
    EXPECT_EQ(current.state.curveCount, 3);
    EXPECT_EQ(concentration.state.curveCount, 2);
    EXPECT_EQ(unknown.state.curveCount, 1);
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(current.at(i, 3), -1e-6 * i);
        EXPECT_EQ(concentration.at(i, 1), 1e-3 * (1 - 0.1 * i));
        EXPECT_EQ(concentration.at(i, 2), 1e-4 * i);
        for (const Stores *untouched : {&current, &resistance, &conductance, &unknown})
            EXPECT_EQ(untouched->at(i, 1) + untouched->at(i, 2), 2 * 42);
        EXPECT_EQ(concentration.at(i, 3) + unknown.at(i, 3), 2 * 42);
    }
    EXPECT_NEAR(resistance.at(5, 3), (2 / 0.5) / 1.15, 1e-12); // R = (L/A)/kappa [ohm]
    EXPECT_NEAR(conductance.at(5, 3), 1.15 * 0.5 / 2, 1e-12);  // kappa A/L [S]
}

TEST(DisplayedQuantity, ZeroConductivityOrLengthRaises) {
    EXPECT_THROW((Stores{kShowResistance, 1, false}), RuntimeError);
    EXPECT_THROW((Stores{kShowConductance, 0}), RuntimeError);
}

} // namespace
} // namespace kemvo
