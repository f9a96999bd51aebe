// The parameters window's derived chemistry: Keq of each chemical step and the initial
// concentrations, pre-equilibrated at the start potential or preconcentrated.

#include "setup/FormExpr.h"

#include "setup/DerivedValues.h"
#include "shell/Application.h"
#include "shell/Constants.h"

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace kemvo {

using namespace derived;

namespace {

// Amount that moves from reactant x to product y so that their ratio becomes theta (their
// sum stays): (theta x - y) / (1 + theta); all of x for an infinite theta.
double equilibriumShift(double theta, double x, double y) {
    if (std::isinf(theta) && theta > 0)
        return x;
    return checkedDivide(checkedFinite(theta * x - y), 1.0 + theta);
}

} // namespace

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
        C_Change(j);
}

void FormExpr::C_Change(int index) {
    ExperimentState &state = app_.state();
    attempt([&] { state.fOverRT = checkedDivide(kFaraday, kGasConstant * state.temperatureK); });
    attempt([&] { setInitialConcentration(index, numberIn(C(index).text())); });
    // A quiet time is a hold of known length: it replaces the infinitely long one.
    if (CheckPreEqu.checked() && !quietTimeSet())
        attempt([&] { preEquilibrate(); });
    if (CheckPreCon.checked())
        attempt([&] { preconcentrate(); });
}

void FormExpr::preEquilibrate() {
    const ExperimentState &state = app_.state();
    if (!(state.fOverRT > 0))
        throw RuntimeError(kDivisionByZero); // no temperature taken yet
    auto c = [this](int j) { return numberIn(C(j).text()); };
    auto theta = [&](int r) {
        double n = numberIn(NEL(r).text());
        double shift = numberIn(Eze(r).text()) - numberIn(Estart.text());
        return checkedExp(n * state.fOverRT * shift);
    };
    auto K1 = [this] { return keqValue[1]; };
    const bool chemistryFrozen = frozenStep(1); // a step that never runs sets no equilibrium

    // Every value of the group is worked out before any caption is written.
    std::vector<std::pair<int, double>> shown;
    switch (state.mechanism) {
    case 1:
    case 9:
    case 10:
    case 16: {
        double v = equilibriumShift(theta(1), c(1), c(2));
        shown = {{1, c(1) - v}, {2, c(2) + v}};
        break;
    }
    case 2:
    case 3:
    case 14:
    case 15: { // charge steps in series
        double x = c(1);
        for (int r = 1; r <= state.chargeCount; ++r) {
            double v = equilibriumShift(theta(r), x, c(r + 1));
            shown.emplace_back(r, x - v);
            x = c(r + 1) + v;
        }
        shown.emplace_back(state.chargeCount + 1, x);
        break;
    }
    case 4:
    case 11:
    case 12:
    case 13: // separate couples A/B, C/D
        for (int r = 1; r <= state.chargeCount; ++r) {
            double v = equilibriumShift(theta(r), c(2 * r - 1), c(2 * r));
            shown.emplace_back(2 * r - 1, c(2 * r - 1) - v);
            shown.emplace_back(2 * r, c(2 * r) + v);
        }
        break;
    case 5:
    case 6: { // C = A before the charge transfer
        double u = chemistryFrozen ? 0.0 : equilibriumShift(K1(), c(3), c(1));
        double v = equilibriumShift(theta(1), c(1) + u, c(2));
        shown = {{3, c(3) - u}, {1, c(1) + u - v}, {2, c(2) + v}};
        break;
    }
    case 7:
    case 8: { // B = C after the charge transfer
        double v = equilibriumShift(theta(1), c(1), c(2));
        double w = chemistryFrozen ? 0.0 : equilibriumShift(K1(), c(2) + v, c(3));
        shown = {{1, c(1) - v}, {2, c(2) + v - w}, {3, c(3) + w}};
        break;
    }
    case 17: { // C = A + pD: K1 = [A][D]^p / [C]
        double q = checkedFinite(std::pow(c(4), numberIn(pl(1).text())));
        double u = 0.0;
        if (std::isinf(K1()))
            u = c(3); // the complex dissociates wholly
        else if (!chemistryFrozen)
            u = checkedDivide(checkedFinite(K1() * c(3) - c(1) * q), K1() + q);
        shown = {{1, c(1) + u}, {3, c(3) - u}};
        break;
    }
    default:
        return;
    }
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
