#pragma once
// The values a fit can adjust, by the index of their tick box CheckFitted(k): concentrations,
// ks, alpha and E0 of the charge steps, kf and kb of the chemical steps, the double-layer
// capacitance and the uncompensated resistance.

#include "shell/ExperimentState.h"

#include <string>

namespace kemvo {

// What a simulation takes from the fit candidates: the state, and the uncompensated
// resistance [ohm], which the finite-difference simulation reads beside it.
struct FitTarget {
    ExperimentState &state;
    double &resistance;
};

// The name of candidate k in reports: "C(A)", "ks(1)", "alpha(1)", "E0(1)", "kf(1)", "kb(1)",
// "Cdl", "Ru".
std::string fitCandidateName(int k);

// The value of candidate k as a fit starts from it: that of a row the mechanism has, else 0
// (a concentration beyond speciesCount, a step beyond chargeCount or chemCount).
double fitCandidateStart(const ExperimentState &state, double resistance, int k);

// Writes the value of candidate k; an index outside 1..21 writes nothing.
void setFitCandidate(FitTarget target, int k, double value);

// Whether candidate k is a standard potential, whose difference step does not scale with its
// value (zero is wherever the reference electrode puts it).
bool isStandardPotential(int k);

} // namespace kemvo
