#include "analysis/TheoreticalPeak.h"

#include "analysis/TheoreticalCurrents.h"
#include "setup/Catalogue.h"
#include "setup/FormExpr.h"
#include "setup/ParameterIntake.h"
#include "shell/Application.h"
#include "shell/CommandGuard.h"
#include "shell/Constants.h"
#include "shell/ReportLine.h"
#include "simulation/CheckedMath.h"

#include <cmath>
#include <string>
#include <vector>

namespace kemvo {
namespace {

// The species 1..4 a letter of a step equation names.
int speciesOf(char letter) {
    if (letter < 'A' || letter > 'D')
        throw RuntimeError(std::string("No species ") + letter);
    return letter - 'A' + 1;
}

double positive(double value, TheoryInput input, int index = 0) {
    if (!(value > 0) || !std::isfinite(value))
        throw InvalidTheoryInput(input, index);
    return value;
}

// What the expressions of one reaction read from the state, each parameter checked where it is
// read, so that a case asks only for what it uses.
class ReactionInputs {
public:
    ReactionInputs(const ExperimentState &state, int reaction)
        : s_(state), r_(reaction), species_(reactionSpecies(state.mechanism, reaction)),
          oxidation_(state.mechanism == 1 && isOxidation(state, species_)) {}

    // The couple is oxidised: present only as its reduced form, or as both with the sweep
    // going positive. Its values are then the reduction's mirrored: D and C of the reduced
    // species, 1 - alpha, potentials on the other side of E0 and currents positive.
    bool oxidation() const { return oxidation_; }
    // -1 for a reduction, whose currents are negative as the curves show them; +1 for an
    // oxidation.
    double sign() const { return oxidation_ ? 1 : -1; }

    const ExperimentState &state() const { return s_; }
    double f() const {
        return kFaraday / (kGasConstant * positive(s_.temperatureK, TheoryInput::Temperature));
    }
    double nf() const { return electrons() * f(); }
    double alphaNf() const {
        const double alpha = oxidation_ ? 1 - s_.alpha[r_] : s_.alpha[r_];
        return positive(alpha, TheoryInput::Alpha, r_) * nf();
    }
    double ks() const { return positive(s_.ks[r_], TheoryInput::Ks, r_); }
    double e0() const { return s_.e0[r_]; }
    // [cm^2/s] of the species that reacts: the oxidised one of a reduction
    double D() const { return diffusion(reacting()); }
    // [mol/cm^3] bulk concentration of the species that reacts
    double concentration() const { return s_.cInit[reacting()] * kMolarToPerCm3; }
    double nFC() const { return electrons() * kFaraday * concentration(); }
    double nFQ() const { return nFC() * s_.area; }
    double erev() const {
        double ratio = diffusion(species_.reduced) / diffusion(species_.oxidised);
        return checkedFinite(e0() + checkedLog(ratio) / (2 * nf()));
    }
    double scanRate() const { return positive(s_.scanRate, TheoryInput::ScanRate); }
    double radius() const { return positive(s_.radius, TheoryInput::Radius); }
    double length() const { return positive(s_.length, TheoryInput::Length); }
    double dropTime() const { return positive(s_.dropTime, TheoryInput::DropTime); }
    double pulseTime() const { return positive(s_.pulseTime, TheoryInput::PulseTime); }
    double potentialStep() const { return positive(s_.eStep, TheoryInput::PotentialStep); }
    double rotationRate() const { return positive(s_.rotationRate, TheoryInput::RotationRate); }
    double viscosity() const { return positive(s_.viscosity, TheoryInput::Viscosity); }
    double pulse() const { return s_.pulseAmplitude; }
    // [1/s] first-order rate constant of the chemical step regenerating the oxidised species
    double kf() const { return positive(s_.kf[1], TheoryInput::Kf, 1); }
    double catalystConcentration() const {
        return positive(s_.cInit[3], TheoryInput::Concentration, 3);
    }

private:
    static bool isOxidation(const ExperimentState &s, ReactionSpecies species) {
        const double ox = s.cInit[species.oxidised], red = s.cInit[species.reduced];
        if (red > 0 && !(ox > 0))
            return true;
        return red > 0 && ox > 0 && s.eEnd > s.eStart;
    }
    int reacting() const { return oxidation_ ? species_.reduced : species_.oxidised; }
    double electrons() const { return positive(s_.electrons[r_], TheoryInput::Electrons, r_); }
    double diffusion(int species) const {
        return positive(s_.diffusion[species], TheoryInput::Diffusion, species);
    }

    const ExperimentState &s_;
    int r_;
    ReactionSpecies species_;
    bool oxidation_;
};

void sweepValues(const ReactionInputs &in, TheoreticalValues &v) {
    switch (static_cast<Electrode>(in.state().electrode)) {
    case Electrode::Planar:
        v.ip = theory::reversibleSweepPeak(in.nFQ(), in.nf(), in.scanRate(), in.D());
        v.ep = v.erev + in.sign() * theory::reversibleSweepPeakShift(in.nf());
        v.ipIrr = theory::irreversibleSweepPeak(in.nFQ(), in.alphaNf(), in.scanRate(), in.D());
        // The irreversible peak depends on the forward rate alone: E0 and D of the reacting
        // species, not the reversible half-wave potential.
        v.epIrr = in.e0() + in.sign() * theory::irreversibleSweepPeakShift(
                                            in.alphaNf(), in.scanRate(), in.D(), in.ks());
        break;
    case Electrode::Spherical:
    case Electrode::Hemispherical:
        v.ip = theory::sphereSweepPeak(in.nFQ(), in.nf(), in.scanRate(), in.D(), in.radius());
        break;
    case Electrode::Microdisc:
        v.ip = theory::microdiscSweepPeak(in.nFC(), in.nf(), in.scanRate(), in.D(), in.radius());
        break;
    case Electrode::ThinFilm:
        // The film is exhausted uniformly, without a diffusion gradient: the peak lies at E0.
        v.ip = theory::thinLayerSweepPeak(in.nFQ(), in.nf(), in.scanRate(), in.length());
        v.ep = in.e0();
        break;
    case Electrode::RotatingDisk:
        v.ip = theory::levichCurrent(in.nFQ(), in.D(), in.rotationRate(), in.viscosity());
        break;
    default: // a cylinder reaches no steady state and its sweep peak has no closed form
        break;
    }
}

// Sampled at the end of the drop time td.
void dcValues(const ReactionInputs &in, TheoreticalValues &v) {
    switch (static_cast<Electrode>(in.state().electrode)) {
    case Electrode::Planar:
        v.ip = theory::cottrellCurrent(in.nFQ(), in.D(), in.dropTime());
        v.ep = v.erev;
        v.ipIrr = v.ip;
        v.epIrr = in.e0() - in.sign() * theory::irreversibleStepHalfwaveShift(
                                            in.alphaNf(), in.ks(), in.dropTime(), in.D());
        break;
    case Electrode::Spherical:
    case Electrode::Hemispherical:
        v.ip = theory::sphereStepCurrent(in.nFQ(), in.D(), in.dropTime(), in.radius());
        break;
    case Electrode::Microdisc:
        v.ip = theory::microdiscStepCurrent(in.nFC(), in.D(), in.dropTime(), in.radius());
        break;
    case Electrode::Cylindrical:
    case Electrode::Hemicylindrical:
        v.ip = theory::cylinderStepCurrent(in.nFQ(), in.D(), in.dropTime(), in.radius());
        break;
    case Electrode::RotatingDisk:
        v.ip = theory::levichCurrent(in.nFQ(), in.D(), in.rotationRate(), in.viscosity());
        break;
    default: // a thin film has no limiting current of its own
        v.reason = v.irreversibleReason = "not defined for this electrode";
        break;
    }
}

// The pulse techniques with planar diffusion during the pulse time tp.
void pulseValues(const ReactionInputs &in, Technique technique, TheoreticalValues &v) {
    switch (technique) {
    case Technique::NormalPulse: // the potential axis is the base potential
        v.ip = theory::cottrellCurrent(in.nFQ(), in.D(), in.pulseTime());
        v.ep = v.erev - in.pulse();
        break;
    case Technique::DifferentialPulse:
        v.ip = theory::differentialPulsePeak(in.nFQ(), in.nf(), in.D(), in.pulseTime(), in.pulse());
        v.ep = v.erev - in.pulse() / 2;
        break;
    case Technique::SquareWave: {
        // Signed like the pulse, as the differential pulse peak is.
        double psi = theory::squareWaveNetPeak(in.nf() * in.potentialStep(),
                                               in.nf() * std::fabs(in.pulse()));
        v.ip = std::copysign(psi * theory::cottrellCurrent(in.nFQ(), in.D(), in.pulseTime()),
                             in.pulse());
        v.ep = v.erev;
        break;
    }
    default:
        break;
    }
}

void simpleCoupleValues(const ReactionInputs &in, TheoreticalValues &v) {
    const auto technique = static_cast<Technique>(in.state().technique);
    if (technique == Technique::LinearSweep)
        sweepValues(in, v);
    else if (technique == Technique::DC)
        dcValues(in, v);
    else
        pulseValues(in, technique, v);
    // The expressions give magnitudes, except the differential pulse and square wave peaks,
    // which are signed like the pulse.
    if (technique == Technique::LinearSweep || technique == Technique::DC ||
        technique == Technique::NormalPulse)
        for (auto *current : {&v.ip, &v.ipIrr})
            if (*current)
                **current *= in.sign();
}

void catalyticValues(const ReactionInputs &in, TheoreticalValues &v) {
    double k = in.kf();
    if (in.state().mechanism == 16) // B + C = A + D with C in excess: pseudo-first order
        k *= in.catalystConcentration();
    v.ip = -theory::catalyticCurrent(in.nFQ(), k, in.D()); // a reduction
    v.ep = v.erev;
    v.irreversibleReason = "not defined for this mechanism";
}

void checkFinite(const std::optional<double> &value) {
    if (value)
        checkedFinite(*value);
}

// "Ep = 0.1 " or "Ep = n/a (no closed form)".
void printItem(ReportLine &line, const std::string &label, const std::optional<double> &value,
               const std::string &reason) {
    line.text(label);
    if (value)
        line.number(*value);
    else
        line.text("n/a (" + reason + ")");
}

void printReaction(TextWindow &result, int r, const TheoreticalValues &v, bool wave) {
    const std::string potential = wave ? "E1/2 = " : "Ep = ";
    const std::string current = wave ? "Id = " : "Ip = ";
    ReportLine reversible;
    reversible.text("Rev Peak ").number(r).text(":").nextZone();
    if (v.onlyErev)
        reversible.text("Erev = ").number(v.erev);
    else
        printItem(reversible, potential, v.ep, v.reason);
    printItem(reversible.nextZone(), current, v.ip, v.reason);
    result.print(reversible);

    ReportLine irreversible;
    printItem(irreversible.text("Irrev Peak ").number(r).text(":").nextZone(), potential, v.epIrr,
              v.irreversibleReason);
    printItem(irreversible.nextZone(), current, v.ipIrr, v.irreversibleReason);
    result.print(irreversible);
}

std::string speciesName(int species) {
    return std::string(1, static_cast<char>('A' + species - 1));
}

std::string stepName(const ExperimentState &state, int step, bool chemical) {
    const MechanismEntry *entry = findMechanism(state.mechanism);
    if (entry == nullptr || step < 1 || step > (chemical ? 2 : 3))
        return "step " + std::to_string(step);
    const auto index = static_cast<std::size_t>(step - 1);
    return std::string(chemical ? entry->chemSteps[index] : entry->chargeSteps[index]);
}

// The parameter as the parameters window labels it: "D (cm ²/s) of A", "ks (cm/s) of A+ne=B".
std::string parameterName(Application &app, const InvalidTheoryInput &error) {
    FormExpr &w = app.form<FormExpr>();
    const ExperimentState &s = app.state();
    const int i = error.index;
    switch (error.input) {
    case TheoryInput::Temperature:
        return w.Labeltemp.caption();
    case TheoryInput::Diffusion:
        return w.LabelD.caption() + " of " + speciesName(i);
    case TheoryInput::Concentration:
        return w.LabelC.caption() + " of " + speciesName(i);
    case TheoryInput::Electrons:
        return w.LabelN.caption() + " of " + stepName(s, i, false);
    case TheoryInput::Alpha:
        return w.LabelAlpha.caption() + " of " + stepName(s, i, false);
    case TheoryInput::Ks:
        return w.LabelKs.caption() + " of " + stepName(s, i, false);
    case TheoryInput::Kf:
        return w.LabelKf.caption() + " of " + stepName(s, i, true);
    case TheoryInput::ScanRate:
        return w.LabelV.caption();
    case TheoryInput::Radius:
        return w.LabelRadius.caption();
    case TheoryInput::Length:
        return w.LabelLength.caption();
    case TheoryInput::DropTime:
        return w.Labeltd.caption();
    case TheoryInput::PulseTime:
        return w.Labeltp.caption();
    case TheoryInput::PotentialStep:
        return w.LabelEstep.caption();
    case TheoryInput::RotationRate:
        return w.LabelRrate.caption();
    case TheoryInput::Viscosity:
        return w.LabelVis.caption();
    }
    return "a parameter";
}

std::string invalidInputMessage(Application &app, const InvalidTheoryInput &error) {
    const std::string where =
        parameterName(app, error) + " in \"" + app.form<FormExpr>().caption() + "\"";
    if (error.input == TheoryInput::Temperature)
        return where + " must be above -273.14";
    return where + " must be greater than zero";
}

void reportTheoreticalPeaks(Application &app) {
    ExperimentState &state = app.state();
    std::vector<TheoreticalValues> reactions;
    try {
        state.fOverRT =
            kFaraday / (kGasConstant * positive(state.temperatureK, TheoryInput::Temperature));
        for (int r = 1; r <= state.chargeCount; ++r)
            reactions.push_back(theoreticalValues(state, r));
    } catch (const InvalidTheoryInput &error) {
        app.showMessage(invalidInputMessage(app, error));
        return;
    }
    const auto technique = static_cast<Technique>(state.technique);
    const bool wave = technique == Technique::DC || technique == Technique::NormalPulse;
    TextWindow &result = app.formResult();
    result.print("Theoretical limiting current:");
    for (std::size_t k = 0; k < reactions.size(); ++k)
        printReaction(result, static_cast<int>(k) + 1, reactions[k], wave);
}

} // namespace

InvalidTheoryInput::InvalidTheoryInput(TheoryInput which, int where)
    : RuntimeError("A parameter of the theoretical values is not positive"), input(which),
      index(where) {}

ReactionSpecies reactionSpecies(int mechanism, int reaction) {
    const MechanismEntry *entry = findMechanism(mechanism);
    if (entry == nullptr || reaction < 1 || reaction > entry->chargeCount())
        throw RuntimeError("No charge-transfer reaction " + std::to_string(reaction) +
                           " in mechanism " + std::to_string(mechanism));
    // "A+ne=B": the oxidised species first, the reduced one last.
    const std::string_view step = entry->chargeSteps[static_cast<std::size_t>(reaction - 1)];
    return {speciesOf(step.front()), speciesOf(step.back())};
}

TheoreticalValues theoreticalValues(const ExperimentState &state, int reaction) {
    const ReactionInputs in(state, reaction);
    TheoreticalValues v;
    v.erev = in.erev();
    if (state.mechanism == 1)
        simpleCoupleValues(in, v);
    else if (state.mechanism == 9 || state.mechanism == 16)
        catalyticValues(in, v);
    else {
        v.onlyErev = true;
        v.reason = v.irreversibleReason = "not defined for this mechanism";
    }
    for (const auto *value : {&v.ep, &v.ip, &v.epIrr, &v.ipIrr})
        checkFinite(*value);
    return v;
}

void TheoreticalPeak(Application &app) {
    if (!takeParameters(app))
        return;
    app.formResult().show();
    runTrapped(app, "Theoretical Peak Error: ", "", [&app] { reportTheoreticalPeaks(app); });
}

} // namespace kemvo
