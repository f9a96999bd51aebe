#pragma once
// The chemistry of one box of a finite-difference grid over one implicit time step: the
// diagonal of diffusion and the couplings of the mechanism's chemical steps, as a block of the
// block-tridiagonal system. A second-order step "2B = X" is linearised about the latest
// iterate (Newton's method), so that its block and its right-hand side change with it.

#include "simulation/DigitalMechanism.h"

#include <array>
#include <cmath>

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

// The right-hand side of a second-order step "2B = X" in a box whose blocks were linearised
// about b0 (`around`), at the iterate b (`latest`): kf dt (2 b0 b - b^2), added to `rhs` (any
// indexable vector of the run's species). With b0 = b it is the constant part kf dt b^2 of the
// tangent rate; otherwise it also corrects the frozen tangent to the iterate, so that the
// fixed point of the iteration is the step's own solution.
template <class Vector>
void addTangentSource(const Mechanism &mechanism, const ChemistryRates &rates, double dt,
                      const Vector &around, const Vector &latest, Vector &rhs) {
    for (int m = 0; m < mechanism.chemicalSteps; ++m) {
        const ChemicalStep &chem = mechanism.chemistry[m];
        if (chem.forwardMultiplicity == 1.0)
            continue;
        const double b0 = around[chem.from];
        const double b = latest[chem.from];
        const double source = rates.kf[m] * dt * (2.0 * b0 - b) * b;
        rhs[chem.from] += chem.forwardMultiplicity * source;
        rhs[chem.to] -= source;
    }
}

// How far the tangent of the second-order steps frozen about b0 (`around`) is from the one at
// b (`latest`): nu 2 kf dt |b0 - b|, the change of the block's coupling. The implicit operator
// of diffusion has an inverse of norm at most about 1, so the frozen iteration contracts each
// error by about this factor.
template <class Vector>
double tangentDrift(const Mechanism &mechanism, const ChemistryRates &rates, double dt,
                    const Vector &around, const Vector &latest) {
    double drift = 0.0;
    for (int m = 0; m < mechanism.chemicalSteps; ++m) {
        const ChemicalStep &chem = mechanism.chemistry[m];
        if (chem.forwardMultiplicity == 1.0)
            continue;
        const double change = chem.forwardMultiplicity * 2.0 * std::abs(rates.kf[m]) * dt *
                              std::abs(around[chem.from] - latest[chem.from]);
        drift = change > drift ? change : drift;
    }
    return drift;
}

} // namespace kemvo::digital
