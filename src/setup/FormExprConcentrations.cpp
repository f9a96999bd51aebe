// The parameters window's derived chemistry: Keq of each chemical step and the initial
// concentrations, pre-equilibrated at the start potential or preconcentrated.

#include "setup/FormExpr.h"

#include "setup/DerivedValues.h"
#include "setup/PreEquilibrium.h"
#include "shell/Application.h"
#include "shell/Constants.h"

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace kemvo {

using namespace derived;

void FormExpr::keqChange(int index) {
    const double before = keqValue[index];
    const std::string shown = LabelKeq(index).caption();
    attempt([&] {
        double forward = numberIn(kf(index).text());
        double backward = numberIn(kb(index).text());
        if (backward > 0) {
            keqValue[index] = checkedDivide(forward, backward);
            LabelKeq(index).setCaption(formatNumber(keqValue[index], "#.###e-#"));
        } else if (backward == 0 && forward > 0) {
            keqValue[index] = std::numeric_limits<double>::infinity();
            LabelKeq(index).setCaption("\u221E");
        } else if (backward == 0 && forward == 0) {
            keqValue[index] = 0;
            LabelKeq(index).setCaption("-");
        }
    });
    // A new constant that rounds to the same label raises no Change event of the label.
    if (keqValue[index] != before && LabelKeq(index).caption() == shown)
        recomputeAllConcentrations();
}

bool FormExpr::frozenStep(int index) const {
    return numberIn(kf(index).text()) == 0 && numberIn(kb(index).text()) == 0;
}

void FormExpr::setInitialConcentration(int species, double value) {
    Cinit(species).setCaption(concentrationText(value));
    cInitValue[species] = value;
}

void FormExpr::recomputeAllConcentrations() {
    for (int j = 1; j <= 4; ++j)
        attempt([&] { setInitialConcentration(j, numberIn(C(j).text())); });
    treatInitialConcentrations();
}

void FormExpr::C_Change(int index) {
    attempt([&] { setInitialConcentration(index, numberIn(C(index).text())); });
    treatInitialConcentrations();
}

void FormExpr::treatInitialConcentrations() {
    ExperimentState &state = app_.state();
    attempt([&] { state.fOverRT = checkedDivide(kFaraday, kGasConstant * state.temperatureK); });
    // A quiet time is a hold of known length: it replaces the infinitely long one.
    if (CheckPreEqu.checked() && !quietTimeSet())
        attempt([&] { preEquilibrate(); });
    if (CheckPreCon.checked())
        attempt([&] { preconcentrate(); });
}

void FormExpr::preEquilibrate() {
    const ExperimentState &state = app_.state();
    EquilibriumInputs in;
    in.mechanism = state.mechanism;
    in.chargeCount = state.chargeCount;
    in.fOverRT = state.fOverRT;
    in.eStart = numberIn(Estart.text());
    for (int r = 1; r <= 3; ++r) {
        in.electrons[static_cast<std::size_t>(r)] = numberIn(NEL(r).text());
        in.e0[static_cast<std::size_t>(r)] = numberIn(Eze(r).text());
    }
    for (int j = 1; j <= 4; ++j)
        in.bulk[static_cast<std::size_t>(j)] = numberIn(C(j).text());
    in.keq1 = keqValue[1];
    in.stoich1 = numberIn(pl(1).text());
    in.chemistryFrozen = frozenStep(1); // a step that never runs sets no equilibrium
    // Every value of the group is worked out before any caption is written.
    const std::vector<std::pair<int, double>> shown = preEquilibrated(in);
    std::vector<std::string> texts;
    for (const auto &[species, value] : shown)
        texts.push_back(concentrationText(value));
    for (std::size_t k = 0; k < shown.size(); ++k) {
        Cinit(shown[k].first).setCaption(texts[k]);
        cInitValue[shown[k].first] = shown[k].second;
    }
}

void FormExpr::preconcentrate() {
    // Species B accumulated in the electrode during stirred deposition at Epre:
    // c_B = c_A P D^(2/3) A w^(1/2) nu^(-1/6) t / (V (1 + theta_pre)).
    const ExperimentState &state = app_.state();
    double thetaPre = checkedExp(
        checkedDivide(state.electrons[1] * kFaraday * (numberIn(txtEPre.text()) - state.e0[1]),
                      kGasConstant * state.temperatureK));
    double omega = kTwoPi * numberIn(txtRStir.text()) / 60; // [rad/s]
    double gain = numberIn(txtPconst.text()) * std::pow(state.diffusion[1], 2.0 / 3.0) *
                  state.area * std::sqrt(omega) * std::pow(state.viscosity, -1.0 / 6.0) *
                  numberIn(txtTPre.text());
    gain = checkedDivide(checkedFinite(gain), state.electrodeVolume * (1 + thetaPre));
    setInitialConcentration(2, numberIn(C(1).text()) * gain);
}

void FormExpr::preconcentrationClick(bool reportFailure) {
    FramePre.setVisible(CheckPreCon.checked());
    bool taken = false;
    if (reportFailure) {
        taken = takeParameters(app_);
    } else {
        // Activation is no command: a field that cannot be read is reported by the command
        // that next needs it, and the state keeps its values.
        ExperimentState before = app_.state();
        try {
            ReadParameters(app_);
            taken = true;
        } catch (const FieldError &) {
            app_.state() = before;
        }
    }
    if (taken)
        recomputeAllConcentrations();
}

} // namespace kemvo
