#pragma once
// The initial concentrations after pre-equilibration at the start potential: each couple of a
// charge-transfer step at its Nernst ratio exp(n F (E0 - Estart) / RT), each chemical step at
// its equilibrium constant, the sums of the species kept.

#include "shell/ExperimentState.h"

#include <utility>
#include <vector>

namespace kemvo {

struct EquilibriumInputs {
    int mechanism = 0;
    int chargeCount = 0;
    double fOverRT = 0;           // [1/V] F/(R T)
    double eStart = 0;            // [V]
    StepTable electrons{};        // n of steps 1..3
    StepTable e0{};               // [V] of steps 1..3
    StepTable bulk{};             // [mol/L] of species 1..4 as typed
    double keq1 = 0;              // kf/kb of chemical step 1; infinite when kb = 0 < kf
    double stoich1 = 1;           // p of chemical step 1
    bool chemistryFrozen = false; // kf = kb = 0: the step sets no equilibrium
};

// The species whose initial concentration the equilibrium sets, with their values; none for a
// mechanism without pre-equilibrium. Raises RuntimeError on a division by zero or an overflow.
std::vector<std::pair<int, double>> preEquilibrated(const EquilibriumInputs &inputs);

} // namespace kemvo
