#pragma once
// The grid of the one-dimensional finite-difference engine and everything about a run that does
// not depend on the species count. Boxes grow by exp(beta) from the electrode outwards.
//  - The standard grid (a sweep one implicit step per point): the first box holds
//    D dt / h^2 = 10 for dt = t drop (or a faster chemical lifetime), beta = 1.
//  - The accurate grid (the fine sweep and every pulse technique): the first box a tenth of the
//    shortest diffusion or reaction layer sqrt(D t), beta = ln 1.7 (larger only where the boxes
//    would not fit into the solver).
//  - Around a sphere or a cylinder the first box is at most r0/50 and the boxes grow slowly
//    (beta <= 0.15) where the field bends.
// Each grid spans six diffusion lengths sqrt(D t) of the whole run. The face factors of a box
// carry its geometry (planar, spherical faces r^2, cylindrical faces r), so that what leaves
// the electrode is what box 1 receives.

#include "shell/ExperimentState.h"
#include "simulation/DigitalMechanism.h"
#include "simulation/LinearSolver.h"

#include <array>

namespace kemvo::digital {

// Everything about a run that does not depend on the species count.
struct RunSetup {
    int technique = 1;
    const Mechanism *mechanism = nullptr;
    int chargeSteps = 1;
    int points = 0;
    bool fineGrid = false; // technique 1 as a true linear ramp on the accurate grid
    int boxes = 0;         // M
    int gridBoxes = 0;     // boxes with geometry factors
    double firstBox = 0;   // [cm] h
    // The first box was sized so that lambda = gridDiffusion gridTime / h^2; a species of
    // diffusion coefficient D over a step dt has D dt / h^2 = lambda (D / gridDiffusion)
    // (dt / gridTime), which keeps the standard grid's lambda = 10 exact.
    double lambda = 0;
    double gridDiffusion = 0;   // [cm^2/s]
    double gridTime = 0;        // [s]
    double surfaceDistance = 0; // [cm] h c(1), from the electrode to the first box centre
    double reference = 0;       // [mol/L] Cref
    double currentScale = 0;    // [A s/cm] 96.4846 A Cref
    std::array<double, kMaxPositions> a{}; // inner face factors [1/h^2]
    std::array<double, kMaxPositions> b{}; // outer face factors [1/h^2]
    std::array<double, 4> diffusion{};     // [cm^2/s] of each species in use
    std::array<double, 4> bulk{};          // normalised initial concentrations
    ChemistryRates chemistry;              // [1/s] (pseudo-)first-order chemical constants
};

// Checks the technique, electrode and mechanism codes, scales the concentrations to the
// reference (the largest initial one) and the chemistry, and lays out the grid. A diffusion
// coefficient that is not positive or a grid that does not fit into the solver raises
// RuntimeError.
RunSetup setUpRun(const ExperimentState &state, bool fineGrid);

} // namespace kemvo::digital
