#pragma once
// The electrode's boundary condition of the finite-difference engines: the relation
// P c0 = Q c1 between the surface concentrations c0 and those of the first box c1. Q balances
// the fluxes D (c1 - c0) / Delta of each couple (Delta [cm] from the electrode to the first box
// centre); P adds the Butler-Volmer rates of the charge-transfer steps,
//   kf = ks exp(-alpha n F (E - E0) / RT),  kb = ks exp((1 - alpha) n F (E - E0) / RT)  [cm/s].

#include "shell/ExperimentState.h"
#include "simulation/MechanismBlocks.h"

namespace kemvo::digital {

// Q, and P before the Butler-Volmer rows: the balance of the fluxes of the mechanism's couples,
// written in the row of the couple's reduced species and divided by its diffusion coefficient
// `d` [cm^2/s].
SpeciesMatrix electrodeFlags(Closure closure, const SpeciesVector &d);

// The heterogeneous rate constants [cm/s] of each charge-transfer step at the electrode
// potential e [V].
struct ElectrodeRates {
    std::array<double, kMaxChargeSteps> kf{};
    std::array<double, kMaxChargeSteps> kb{};
};
ElectrodeRates butlerVolmerRates(const ExperimentState &state, int chargeSteps, double e);

// P: the flags with the rate of each step written in the row of its oxidised species
// (ox0 (1 + Df kf) - Df kb red0 = ox1: the flux into box 1 equals the reduction rate) and,
// where the closure balances it, of its reduced species; Df = Delta / D of that species [s/cm].
SpeciesMatrix electrodeMatrix(Closure closure, const SpeciesMatrix &flags,
                              const ElectrodeRates &rates, double surfaceDistance,
                              const SpeciesVector &diffusion);

} // namespace kemvo::digital
