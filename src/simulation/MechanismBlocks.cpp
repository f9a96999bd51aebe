#include "simulation/MechanismBlocks.h"

namespace kemvo::digital {

SpeciesMatrix identityMatrix() {
    SpeciesMatrix m{};
    for (int s = 0; s < 4; ++s)
        m[s][s] = 1.0;
    return m;
}

SpeciesMatrix boxBlock(const Mechanism &mechanism, const ChemistryRates &rates,
                       const SpeciesVector &diagonal, double dt, const SpeciesVector &latest) {
    SpeciesMatrix m{};
    for (int s = 0; s < 4; ++s)
        m[s][s] = diagonal[s];
    for (int k = 0; k < mechanism.chemicalSteps; ++k) {
        const ChemicalStep &chem = mechanism.chemistry[k];
        const double backward = rates.kb[k] * dt;
        if (chem.forwardMultiplicity == 1.0) {
            const double forward = rates.kf[k] * dt;
            m[chem.from][chem.from] += forward;
            m[chem.to][chem.from] -= forward;
            m[chem.to][chem.to] += backward;
            m[chem.from][chem.to] -= backward;
            continue;
        }
        const double nu = chem.forwardMultiplicity;
        const double slope = rates.kf[k] * dt * 2.0 * latest[chem.from];
        m[chem.from][chem.from] += nu * slope;
        m[chem.to][chem.from] -= slope;
        m[chem.to][chem.to] += backward;
        m[chem.from][chem.to] -= nu * backward;
    }
    return m;
}

} // namespace kemvo::digital
