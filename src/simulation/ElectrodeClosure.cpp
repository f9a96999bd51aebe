#include "simulation/ElectrodeClosure.h"

#include "shell/RuntimeError.h"

namespace kemvo::digital {
namespace {

void addReactantRow(SpeciesMatrix &p, Couple couple, double dfKf, double dfKb) {
    p[couple.oxidised][couple.oxidised] += dfKf;
    p[couple.oxidised][couple.reduced] -= dfKb;
}

// The same rate written in the row of its reduced species, which the step produces.
void addProductRow(SpeciesMatrix &p, Couple couple, double dfKf, double dfKb) {
    p[couple.reduced][couple.oxidised] -= dfKf;
    p[couple.reduced][couple.reduced] += dfKb;
}

} // namespace

SpeciesMatrix electrodeFlags(Closure closure, const SpeciesVector &d) {
    SpeciesMatrix m = identityMatrix();
    m[B][A] = d[A] / d[B];
    if (closure == Closure::Chain || closure == Closure::ThreeSteps)
        m[B][C] = d[C] / d[B];
    if (closure == Closure::ThreeSteps)
        m[B][D] = d[D] / d[B];
    if (closure == Closure::TwoCouples)
        m[D][C] = d[C] / d[D];
    return m;
}

ElectrodeRates butlerVolmerRates(const ExperimentState &state, int chargeSteps, double e) {
    ElectrodeRates rates;
    for (int j = 0; j < chargeSteps; ++j) {
        const double phi = state.electrons[j + 1] * state.fOverRT * (e - state.e0[j + 1]);
        rates.kf[j] = state.ks[j + 1] * checkedExp(-state.alpha[j + 1] * phi);
        rates.kb[j] = state.ks[j + 1] * checkedExp((1.0 - state.alpha[j + 1]) * phi);
    }
    return rates;
}

SpeciesMatrix electrodeMatrix(Closure closure, const SpeciesMatrix &flags,
                              const ElectrodeRates &rates, double surfaceDistance,
                              const SpeciesVector &diffusion) {
    auto df = [&](int species) { return surfaceDistance / diffusion[species]; };
    SpeciesMatrix p = flags;
    auto reactant = [&](int j) {
        const Couple couple = coupleOf(closure, j);
        const double f = df(couple.oxidised);
        addReactantRow(p, couple, f * rates.kf[j], f * rates.kb[j]);
    };
    auto product = [&](int j) {
        const Couple couple = coupleOf(closure, j);
        const double f = df(couple.reduced);
        addProductRow(p, couple, f * rates.kf[j], f * rates.kb[j]);
    };
    reactant(0);
    if (closure == Closure::TwoCouples)
        reactant(1);
    if (closure == Closure::Chain || closure == Closure::ThreeSteps)
        product(1);
    if (closure == Closure::ThreeSteps) {
        reactant(2);
        product(2);
    }
    return p;
}

} // namespace kemvo::digital
