#pragma once
// The quantity the plot shows, derived from the stored currents or surface concentrations
// by the choice of the plot options' list ComboY.

#include "shell/Application.h"

#include <string>

namespace kemvo {

// The entries of ComboY.
inline constexpr const char *kShowCurrent = "current I";
inline constexpr const char *kShowResistance = "resistance R";
inline constexpr const char *kShowConductance = "conductance Cond";
inline constexpr const char *kShowSurfaceConcentration = "surface concentration C";

// The choice of ComboY.
std::string displayedQuantityChoice(Application &app);

// Whether the choice needs the cell length of the parameters window's box TextDis.
bool needsCellLength(const std::string &choice);

// For points firstPoint..lastPoint:
//  "current I":           curves(i, currentCurve) = reactionCurrent(i, chargeCount + 1) [A]
//  "resistance R":        curves(i, currentCurve) = (L/A) / kappa(i)                     [ohm]
//  "conductance Cond":    curves(i, currentCurve) = kappa(i) A/L                         [S]
//     with kappa(i) = supportConc supportCond + sum_j surfaceConc(i, j) speciesCond(j),
//     L = cellLength [cm], A = area [cm^2]; curveCount = simSlot for these three;
//  "surface concentration C": curves(i, j) = surfaceConc(i, j) [mol/L] for the species
//     j = 1..speciesCount, and curveCount = speciesCount;
//  any other text changes nothing. A zero conductivity or length raises RuntimeError.
void DeriveDisplayedQuantity(ExperimentState &state, CurveStore &store, const std::string &choice,
                             double cellLength);

// The same with the choice of ComboY and, where needed, the strict number in TextDis; a text
// there that is not a number raises RuntimeError naming the field. Choosing the surface
// concentrations keeps the overlapped curves aside; choosing another quantity puts them back.
void DeriveDisplayedQuantity(Application &app);

// The same into a state and store other than the application's (a simulation's scratch
// copies); returns the choice it derived.
std::string DeriveDisplayedQuantity(Application &app, ExperimentState &state, CurveStore &store);

// The displayed-quantity step of every plot refresh. It derives only when the choice in
// ComboY differs from that of the last derivation after a simulation, so that a curve a
// command wrote into `curves` (a transform, a scaling, an import, a separation) stays on the
// plot, while another choice of quantity shows that quantity of the last simulation.
void installDisplayedQuantityRefresh(Application &app);

} // namespace kemvo
