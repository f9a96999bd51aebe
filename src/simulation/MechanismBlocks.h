#pragma once
// The chemistry of one box of a finite-difference grid over one implicit time step: the
// diagonal of diffusion and the couplings of the mechanism's chemical steps, as a block of the
// block-tridiagonal system. A second-order step "2B = X" is linearised about the latest
// iterate (Newton's method), so that its block and its right-hand side change with it.

#include "simulation/DigitalMechanism.h"

#include <array>

namespace kemvo::digital {

// Matrices and vectors over all four species; a run uses the leading S x S part.
using SpeciesMatrix = std::array<std::array<double, 4>, 4>;
using SpeciesVector = std::array<double, 4>;

SpeciesMatrix identityMatrix();

// The block of one box over a time step dt [s]: `diagonal` is 1 + La + Lb of each species
// (the box's own diffusion terms) and the chemical steps add their couplings. A step
// "2B = X" runs at kf b^2 - kb x, taken as its tangent kf (2 b* b - b*^2) - kb x about the
// concentration `latest` (b*) of B in the box; it removes two B for each X, so B + 2X is
// conserved.
SpeciesMatrix boxBlock(const Mechanism &mechanism, const ChemistryRates &rates,
                       const SpeciesVector &diagonal, double dt, const SpeciesVector &latest = {});

// The constant part kf b*^2 dt of the tangent rate of each second-order step, added to the
// right-hand side `rhs` of a box whose latest iterate is `latest` (any indexable vector of
// the run's species).
template <class Vector>
void addTangentSource(const Mechanism &mechanism, const ChemistryRates &rates, double dt,
                      const Vector &latest, Vector &rhs) {
    for (int m = 0; m < mechanism.chemicalSteps; ++m) {
        const ChemicalStep &chem = mechanism.chemistry[m];
        if (chem.forwardMultiplicity == 1.0)
            continue;
        const double b = latest[chem.from];
        const double source = rates.kf[m] * dt * b * b;
        rhs[chem.from] += chem.forwardMultiplicity * source;
        rhs[chem.to] -= source;
    }
}

} // namespace kemvo::digital
