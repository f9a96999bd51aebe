#include "simulation/DisplayedQuantity.h"

#include "shell/RuntimeError.h"

#include <gtest/gtest.h>

#include <memory>

namespace kemvo {
namespace {

// Stores as a two-species simulation into column 3 leaves them: total current in column 2 of
// reactionCurrent, surface concentrations of A and B in surfaceConc.
struct Stores {
    ExperimentState state;
    std::unique_ptr<CurveStore> store = std::make_unique<CurveStore>();

    Stores() {
        state.chargeCount = 1;
        state.speciesCount = 2;
        state.simSlot = 3;
        state.currentCurve = 3;
        state.curveCount = 1;
        state.firstPoint = 1;
        state.lastPoint = 10;
        state.area = 0.5;
        state.supportConc = 0.01;
        state.supportCond = 100;
        state.speciesCond = {0, 100, 200, 300, 400, 0};
        for (int i = 1; i <= 10; ++i) {
            store->reactionCurrent(i, 2) = -1e-6 * i;
            store->surfaceConc(i, 1) = 1e-3 * (1 - 0.1 * i);
            store->surfaceConc(i, 2) = 1e-4 * i;
            store->surfaceConc(i, 3) = 7; // not a species of the mechanism
            for (int k = 1; k <= 5; ++k)
                store->curves(i, k) = 42;
        }
    }
};

TEST(DisplayedQuantity, CurrentFillsOnlyTheSimulatedColumn) {
    Stores s;
    DeriveDisplayedQuantity(s.state, *s.store, kShowCurrent, 0);
    EXPECT_EQ(s.state.curveCount, 3);
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(s.store->curves(i, 3), -1e-6 * i);
        EXPECT_EQ(s.store->curves(i, 1), 42);
        EXPECT_EQ(s.store->curves(i, 2), 42);
    }
}

TEST(DisplayedQuantity, SurfaceConcentrationsReplaceTheFirstColumns) {
    Stores s;
    DeriveDisplayedQuantity(s.state, *s.store, kShowSurfaceConcentration, 0);
    EXPECT_EQ(s.state.curveCount, 2);
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(s.store->curves(i, 1), 1e-3 * (1 - 0.1 * i));
        EXPECT_EQ(s.store->curves(i, 2), 1e-4 * i);
        EXPECT_EQ(s.store->curves(i, 3), 42);
    }
}

TEST(DisplayedQuantity, ResistanceIsTheReciprocalOfConductance) {
    // kappa(5) = 0.01*100 + 0.5e-3*100 + 5e-4*200 = 1.15; with L = 2 cm and A = 0.5 cm^2
    // R = (L/A)/kappa = 3.478 ohm. Species C is not part of the mechanism and is ignored.
    for (double length : {2.0, 0.1}) {
        Stores resistance, conductance;
        DeriveDisplayedQuantity(resistance.state, *resistance.store, kShowResistance, length);
        DeriveDisplayedQuantity(conductance.state, *conductance.store, kShowConductance, length);
        for (int i = 1; i <= 10; ++i)
            EXPECT_NEAR(resistance.store->curves(i, 3) * conductance.store->curves(i, 3), 1.0,
                        1e-14);
        if (length == 2.0) {
            EXPECT_NEAR(resistance.store->curves(5, 3), 4 / 1.15, 1e-12);
        }
        EXPECT_EQ(resistance.state.curveCount, 3);
    }
}

TEST(DisplayedQuantity, FaultsRaiseAndUnknownChoicesChangeNothing) {
    Stores s;
    s.state.supportConc = 0;
    for (int i = 1; i <= 10; ++i)
        s.store->surfaceConc(i, 1) = s.store->surfaceConc(i, 2) = 0;
    EXPECT_THROW(DeriveDisplayedQuantity(s.state, *s.store, kShowResistance, 1), RuntimeError);
    Stores t;
    EXPECT_THROW(DeriveDisplayedQuantity(t.state, *t.store, kShowConductance, 0), RuntimeError);
    Stores u;
    DeriveDisplayedQuantity(u.state, *u.store, "current", 1);
    EXPECT_EQ(u.state.curveCount, 1);
    EXPECT_EQ(u.store->curves(1, 3), 42);
}

} // namespace
} // namespace kemvo
