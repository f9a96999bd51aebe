#pragma once
// The mechanisms as the finite-difference engines see them: which species take part, how the
// electrode closes the system of equations, and which chemical steps couple the species in
// every box. Species A, B, C, D are 0..3; the charge-transfer steps are 0..2.

#include "shell/ExperimentState.h"

#include <array>

namespace kemvo::digital {

inline constexpr int A = 0;
inline constexpr int B = 1;
inline constexpr int C = 2;
inline constexpr int D = 3;

inline constexpr int kMaxChargeSteps = 3;
inline constexpr int kMaxChemicalSteps = 2;

// How the electrode relation P c0 = Q c1 is closed.
enum class Closure {
    OneCouple,  // A+ne=B; row B: A0 + B0 = A1 + B1
    Chain,      // A+ne=B, B+ne=C; row B: A0 + B0 + C0 = A1 + B1 + C1
    TwoCouples, // A+ne=B, C+ne=D; rows B and D balance each couple
    ThreeSteps, // A+ne=B, B+ne=C, C+ne=D; row B: total balance, rows C and D: fluxes
};

// A chemical step "from = to" whose forward constant drives `from` to `to`; a step written
// "2B = ..." doubles the forward constant in the block.
struct ChemicalStep {
    int from = 0;
    int to = 0;
    double forwardMultiplicity = 1.0;
};

struct Mechanism {
    int species;
    Closure closure;
    int chemicalSteps;
    std::array<ChemicalStep, kMaxChemicalSteps> chemistry;
};

// The mechanism of code 1..17 of the mechanism window; another code raises RuntimeError
// ("Subscript out of range").
const Mechanism &mechanismOf(int code);

// The oxidised and reduced species of a charge-transfer step.
struct Couple {
    int oxidised;
    int reduced;
};

int chargeStepCount(Closure closure);
Couple coupleOf(Closure closure, int step);
bool hasSecondOrderStep(const Mechanism &mechanism);

// The chemical constants of a run in 1/s: a partner in excess, or the second-order species,
// enters at the reference concentration [mol/L] (the largest initial one).
struct ChemistryRates {
    std::array<double, kMaxChemicalSteps> kf{};
    std::array<double, kMaxChemicalSteps> kb{};
};
ChemistryRates chemistryRates(const ExperimentState &state, const Mechanism &mechanism,
                              double reference);

// [s] The shortest relaxation time 1/(kf + kb) of the chemical steps; a step with kf + kb = 0
// does not react and sets no time (HUGE_VAL when none reacts).
double shortestLifetime(const Mechanism &mechanism, const ChemistryRates &rates);

} // namespace kemvo::digital
