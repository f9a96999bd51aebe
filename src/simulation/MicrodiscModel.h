#pragma once
// A run of the microdisc simulation as its steps see it: the grid, the species with their
// diffusion coefficients and the groups the chemistry couples, and the scales that make the
// equations dimensionless.

#include "shell/ExperimentState.h"
#include "simulation/DigitalMechanism.h"
#include "simulation/MechanismBlocks.h"
#include "simulation/MicrodiscGrid.h"

#include <array>
#include <vector>

namespace kemvo::disc {

using digital::SpeciesMatrix;

// Everything about a run on the disc that holds for every step. Concentrations are normalised
// by the reference (the largest initial one), lengths by the radius a, times by a^2 / D_A.
struct DiscModel {
    DiscGrid grid;
    const digital::Mechanism *mechanism = nullptr;
    digital::ChemistryRates chemistry; // [1/s]
    int species = 0;
    int chargeSteps = 0;
    std::array<double, 4> ratio{}; // D / D_A of each species
    std::array<double, 4> bulk{};  // normalised initial concentrations
    // Species coupled by the chemistry, solved together: group[s] and slot[s] place species s.
    std::array<int, 4> group{};
    std::array<int, 4> slot{};
    std::vector<std::vector<int>> members;
    double reference = 0;    // [mol/L]
    double timeScale = 0;    // [1/s] D_A / a^2
    double rateScale = 0;    // [s/cm] a / D_A: a heterogeneous constant made dimensionless
    double currentScale = 0; // [A] per unit dimensionless reaction rate and electron
};

// The model of a run: the mechanism's species and chemistry, and a grid that resolves the
// shortest time of the programme and reaches beyond the diffusion of the whole run. A radius,
// area or diffusion coefficient that is not positive raises RuntimeError.
DiscModel discModel(const ExperimentState &state);

} // namespace kemvo::disc
