#include "simulation/DisplayedQuantity.h"

#include "shell/NumberText.h"

#include <memory>

namespace kemvo {
namespace {

// Solution conductivity at point i: supporting electrolyte plus every species at the surface.
double conductivityAt(const ExperimentState &state, const CurveStore &store, int i) {
    double species = 0;
    for (int j = 1; j <= state.speciesCount; ++j)
        species += store.surfaceConc(i, j) * state.speciesCond[j];
    return checkedFinite(state.supportConc * state.supportCond + species);
}

double cellLengthOf(Application &app) {
    const std::string &text = app.control<TextBox>("FormExpr", "TextDis").text();
    try {
        return strictValue(text);
    } catch (const RuntimeError &error) {
        throw RuntimeError(std::string("Dis (cm): ") + error.what());
    }
}

// The column now holds the quantity as derived: no transform or scaling is left in it.
void forgetHistory(ExperimentState &state, int curve) {
    if (curve >= 0 && curve < static_cast<int>(state.curveHistory.size()))
        state.curveHistory[static_cast<std::size_t>(curve)] = {};
}

} // namespace

std::string displayedQuantityChoice(Application &app) {
    return app.control<ComboBox>("formOption", "ComboY").text();
}

bool needsCellLength(const std::string &choice) {
    return choice == kShowResistance || choice == kShowConductance;
}

void DeriveDisplayedQuantity(ExperimentState &state, CurveStore &store, const std::string &choice,
                             double cellLength) {
    if (choice == kShowCurrent || needsCellLength(choice))
        forgetHistory(state, state.currentCurve);
    if (choice == kShowCurrent) {
        state.curveCount = state.simSlot;
        for (int i = state.firstPoint; i <= state.lastPoint; ++i)
            store.curves(i, state.currentCurve) = store.reactionCurrent(i, state.chargeCount + 1);
    } else if (choice == kShowResistance) {
        double lengthOverArea = checkedDivide(cellLength, state.area);
        state.curveCount = state.simSlot;
        for (int i = state.firstPoint; i <= state.lastPoint; ++i)
            store.curves(i, state.currentCurve) =
                checkedDivide(lengthOverArea, conductivityAt(state, store, i));
    } else if (choice == kShowConductance) {
        double areaOverLength = checkedDivide(state.area, cellLength);
        state.curveCount = state.simSlot;
        for (int i = state.firstPoint; i <= state.lastPoint; ++i)
            store.curves(i, state.currentCurve) =
                checkedFinite(conductivityAt(state, store, i) * areaOverLength);
    } else if (choice == kShowSurfaceConcentration) {
        state.curveCount = state.speciesCount;
        for (int j = 1; j <= state.speciesCount; ++j)
            forgetHistory(state, j);
        for (int j = 1; j <= state.speciesCount; ++j)
            for (int i = state.firstPoint; i <= state.lastPoint; ++i)
                store.curves(i, j) = store.surfaceConc(i, j);
    }
}

std::string DeriveDisplayedQuantity(Application &app, ExperimentState &state, CurveStore &store) {
    std::string choice = displayedQuantityChoice(app);
    double cellLength = needsCellLength(choice) ? cellLengthOf(app) : 0.0;
    DeriveDisplayedQuantity(state, store, choice, cellLength);
    return choice;
}

namespace {

// The surface concentrations are drawn in the columns of the overlapped curves: those are kept
// aside while the concentrations are shown and put back when another quantity is chosen.
// Returns true when the curves put back already show the chosen quantity, as they were before
// the concentrations (transforms and scalings included), so that nothing is derived again.
bool shelveOrRestoreCurves(Application &app, const std::string &choice) {
    Application::DerivedQuantity &derived = app.derivedQuantity;
    const bool toConcentrations = choice == kShowSurfaceConcentration;
    if (toConcentrations && !derived.shelvedCurves) {
        derived.shelvedCurves = std::make_shared<const PointTable<6>>(app.store().curves);
        derived.shelvedCurveCount = app.state().curveCount;
        derived.shelvedChoice = derived.choice;
    } else if (!toConcentrations && derived.shelvedCurves) {
        app.store().curves = *derived.shelvedCurves;
        app.state().curveCount = derived.shelvedCurveCount;
        derived.shelvedCurves.reset();
        return choice == derived.shelvedChoice;
    }
    return false;
}

} // namespace

void DeriveDisplayedQuantity(Application &app) {
    const bool restored = shelveOrRestoreCurves(app, displayedQuantityChoice(app));
    if (restored) {
        app.derivedQuantity.choice = displayedQuantityChoice(app);
        return;
    }
    std::string choice = DeriveDisplayedQuantity(app, app.state(), app.store());
    app.derivedQuantity.simulated = true;
    app.derivedQuantity.choice = choice;
}

void installDisplayedQuantityRefresh(Application &app) {
    app.deriveDisplayedQuantityHook = [&app] {
        if (app.derivedQuantity.simulated &&
            displayedQuantityChoice(app) != app.derivedQuantity.choice)
            DeriveDisplayedQuantity(app);
    };
}

} // namespace kemvo
