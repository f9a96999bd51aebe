#include "fitting/FitCandidates.h"

#include "setup/FormExpr.h"

namespace kemvo {
namespace {

// The state value of candidates 1..20, whichever rows the mechanism has; none for Ru.
template <typename State> auto stateValue(State &state, int k) -> decltype(&state.cdl) {
    if (k >= fitConcentration(1) && k <= fitConcentration(4))
        return &state.cInit[static_cast<std::size_t>(k)];
    if (k >= fitKs(1) && k <= fitKs(3))
        return &state.ks[static_cast<std::size_t>(k - fitKs(0))];
    if (k >= fitAlpha(1) && k <= fitAlpha(3))
        return &state.alpha[static_cast<std::size_t>(k - fitAlpha(0))];
    if (k >= fitE0(1) && k <= fitE0(3))
        return &state.e0[static_cast<std::size_t>(k - fitE0(0))];
    if (k >= fitKf(1) && k <= fitKf(3))
        return &state.kf[static_cast<std::size_t>(k - fitKf(0))];
    if (k >= fitKb(1) && k <= fitKb(3))
        return &state.kb[static_cast<std::size_t>(k - fitKb(0))];
    if (k == fitCdl())
        return &state.cdl;
    return nullptr;
}

// Whether the mechanism has the row of candidate k.
bool rowExists(const ExperimentState &state, int k) {
    if (k <= fitConcentration(4))
        return k <= state.speciesCount;
    if (k <= fitE0(3))
        return (k - fitKs(1)) % 3 < state.chargeCount;
    if (k <= fitKb(3))
        return (k - fitKf(1)) % 3 < state.chemCount;
    return true;
}

} // namespace

std::string fitCandidateName(int k) {
    static const char *const species[] = {"A", "B", "C", "D"};
    auto indexed = [](const char *name, int i) {
        return std::string(name) + "(" + std::to_string(i) + ")";
    };
    if (k >= fitConcentration(1) && k <= fitConcentration(4))
        return std::string("C(") + species[k - 1] + ")";
    if (k >= fitKs(1) && k <= fitKs(3))
        return indexed("ks", k - fitKs(0));
    if (k >= fitAlpha(1) && k <= fitAlpha(3))
        return indexed("alpha", k - fitAlpha(0));
    if (k >= fitE0(1) && k <= fitE0(3))
        return indexed("E0", k - fitE0(0));
    if (k >= fitKf(1) && k <= fitKf(3))
        return indexed("kf", k - fitKf(0));
    if (k >= fitKb(1) && k <= fitKb(3))
        return indexed("kb", k - fitKb(0));
    if (k == fitCdl())
        return "Cdl";
    if (k == fitRu())
        return "Ru";
    return indexed("C", k);
}

double fitCandidateStart(const ExperimentState &state, double resistance, int k) {
    if (k == fitRu())
        return resistance;
    const double *value = stateValue(state, k);
    return value != nullptr && rowExists(state, k) ? *value : 0.0;
}

void setFitCandidate(FitTarget target, int k, double value) {
    if (k == fitRu()) {
        target.resistance = value;
        return;
    }
    if (double *field = stateValue(target.state, k))
        *field = value;
}

bool isStandardPotential(int k) {
    return k >= fitE0(1) && k <= fitE0(3);
}

} // namespace kemvo
