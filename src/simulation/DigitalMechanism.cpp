#include "simulation/DigitalMechanism.h"

#include "shell/RuntimeError.h"
#include "simulation/CheckedMath.h"
#include "simulation/LargerSmaller.h"

#include <cmath>

namespace kemvo::digital {
namespace {

constexpr std::array<Mechanism, 18> kMechanisms{{
    {},
    {2, Closure::OneCouple, 0, {}},
    {3, Closure::Chain, 0, {}},
    {4, Closure::ThreeSteps, 0, {}},
    {4, Closure::TwoCouples, 0, {}},
    {3, Closure::OneCouple, 1, {{{C, A, 1}}}},             // C=A
    {4, Closure::OneCouple, 2, {{{C, A, 1}, {B, D, 1}}}},  // C=A, B=D
    {3, Closure::OneCouple, 1, {{{B, C, 1}}}},             // B=C
    {3, Closure::OneCouple, 1, {{{B, C, 2}}}},             // 2B=C
    {2, Closure::OneCouple, 1, {{{B, A, 1}}}},             // B=A
    {2, Closure::OneCouple, 1, {{{B, A, 2}}}},             // 2B=A
    {4, Closure::TwoCouples, 1, {{{B, C, 1}}}},            // B=C
    {4, Closure::TwoCouples, 1, {{{B, D, 1}}}},            // B=D
    {4, Closure::TwoCouples, 2, {{{B, D, 1}, {C, A, 1}}}}, // B=D, C=A
    {4, Closure::Chain, 1, {{{C, D, 1}}}},                 // C=D
    {4, Closure::Chain, 1, {{{B, D, 1}}}},                 // B=D
    {4, Closure::OneCouple, 1, {{{B, A, 1}}}},             // B+C=A+D, C and D in excess
    {4, Closure::OneCouple, 1, {{{C, A, 1}}}},             // C=A+pD, D in excess
}};

} // namespace

const Mechanism &mechanismOf(int code) {
    if (code < 1 || code > 17)
        throw RuntimeError(kSubscriptOutOfRange);
    return kMechanisms[static_cast<std::size_t>(code)];
}

int chargeStepCount(Closure closure) {
    switch (closure) {
    case Closure::OneCouple:
        return 1;
    case Closure::ThreeSteps:
        return 3;
    default:
        return 2;
    }
}

Couple coupleOf(Closure closure, int step) {
    if (step == 0)
        return {A, B};
    if (step == 2 || closure == Closure::TwoCouples)
        return {C, D};
    return {B, C};
}

bool hasSecondOrderStep(const Mechanism &mechanism) {
    for (int k = 0; k < mechanism.chemicalSteps; ++k)
        if (mechanism.chemistry[k].forwardMultiplicity != 1.0)
            return true;
    return false;
}

ChemistryRates chemistryRates(const ExperimentState &state, const Mechanism &mechanism,
                              double reference) {
    ChemistryRates rates;
    for (int m = 0; m < mechanism.chemicalSteps; ++m) {
        rates.kf[m] = state.kf[m + 1];
        rates.kb[m] = state.kb[m + 1];
    }
    switch (state.mechanism) {
    case 8:
    case 10: // second order in B, taken at the reference concentration
        rates.kf[0] *= reference;
        break;
    case 16: // C and D in excess at the reference concentration
        rates.kf[0] *= reference;
        rates.kb[0] *= reference;
        break;
    case 17: // the back step consumes p D at the reference concentration
        rates.kb[0] *= checkedFinite(std::pow(reference, state.stoich[1]));
        break;
    default:
        break;
    }
    return rates;
}

double shortestLifetime(const Mechanism &mechanism, const ChemistryRates &rates) {
    double shortest = HUGE_VAL;
    for (int m = 0; m < mechanism.chemicalSteps; ++m) {
        const double rate = mechanism.chemistry[m].forwardMultiplicity * std::abs(rates.kf[m]) +
                            std::abs(rates.kb[m]);
        if (rate > 0)
            shortest = smaller(shortest, 1.0 / rate);
    }
    return shortest;
}

} // namespace kemvo::digital
