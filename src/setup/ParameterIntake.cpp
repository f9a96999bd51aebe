#include "setup/ParameterIntake.h"

#include "setup/Catalogue.h"
#include "setup/FormExpr.h"
#include "setup/FormMech.h"
#include "setup/FormTech.h"
#include "shell/Application.h"
#include "shell/BoxValue.h"
#include "shell/Constants.h"
#include "shell/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kemvo {
namespace {

// The value of a box in use: the whole text must be a number the physics allows. The refusal
// names the box as the window shows it and says what it may hold.
double strictValueOf(const std::string &text, const std::string &caption, Allowed allowed) {
    try {
        return strictBoxValue(text, caption, allowed);
    } catch (const BoxValueError &refusal) {
        throw FieldError(caption, refusal.description());
    }
}

// The strict value of a box; its refusal carries the box, so that the window can take the
// user back to it.
template <typename Box>
double strictValueOf(Box &box, const std::string &caption, Allowed allowed) {
    try {
        return strictValueOf(box.text(), caption, allowed);
    } catch (const FieldError &refusal) {
        throw FieldError(refusal, box);
    }
}

double strictValueOf(TextBox &box, const Label &caption, Allowed allowed) {
    return strictValueOf(box, caption.caption(), allowed);
}

// The lenient value of a box the experiment does not use: nothing is held against it, and a
// number too large for a double is kept as 0 until the box is used.
double unusedValueOf(const std::string &text) {
    try {
        return leadingValue(text);
    } catch (const RuntimeError &) {
        return 0;
    }
}

// A box of a row that the experiment uses is read strictly, any other leniently.
template <typename Box>
double rowValueOf(Box &box, bool inUse, const std::string &caption, Allowed allowed) {
    return inUse ? strictValueOf(box, caption, allowed) : unusedValueOf(box.text());
}

std::string speciesCaption(const FormExpr &w, const Label &column, int j) {
    return column.caption() + ", species " + w.specie(j).caption();
}

std::string stepCaption(const Label &column, int r, const Label &step) {
    return column.caption() + ", step " + std::to_string(r) + " (" + step.caption() + ")";
}

void readSteps(FormExpr &w, ExperimentState &state) {
    for (int r = 1; r <= 3; ++r) {
        const bool charge = r <= state.chargeCount;
        auto chargeValue = [&](auto &box, const Label &column, Allowed allowed) {
            return rowValueOf(box, charge, stepCaption(column, r, w.heter(r)), allowed);
        };
        state.alpha[r] = chargeValue(w.alph(r), w.LabelAlpha, Allowed::UnitInterval);
        state.e0[r] = chargeValue(w.Eze(r), w.LabelE0, Allowed::AnyNumber);
        state.ks[r] = chargeValue(w.ks(r), w.LabelKs, Allowed::NonNegative);
        state.electrons[r] = chargeValue(w.NEL(r), w.LabelN, Allowed::OneOrMore);

        const bool chemical = r <= state.chemCount;
        auto chemValue = [&](auto &box, const Label &column, Allowed allowed) {
            return rowValueOf(box, chemical, stepCaption(column, r, w.homo(r)), allowed);
        };
        state.kf[r] = chemValue(w.kf(r), w.LabelKf, Allowed::NonNegative);
        state.kb[r] = chemValue(w.kb(r), w.LabelKb, Allowed::NonNegative);
        state.keq[r] = w.keqValue[r];
        state.stoich[r] = chemValue(w.pl(r), w.LabelP, Allowed::OneOrMore);
    }
}

void readSpecies(FormExpr &w, ExperimentState &state) {
    for (int j = 1; j <= 4; ++j) {
        const bool used = j <= state.speciesCount;
        auto speciesValue = [&](auto &box, const Label &column, Allowed allowed) {
            return rowValueOf(box, used, speciesCaption(w, column, j), allowed);
        };
        state.diffusion[j] = speciesValue(w.D(j), w.LabelD, Allowed::Positive);
        speciesValue(w.C(j), w.LabelC, Allowed::NonNegative); // its Cinit is taken
        state.cInit[j] = w.cInitValue[j];
        state.speciesCond[j] = speciesValue(w.Cond(j - 1), w.LabelCond, Allowed::AnyNumber);
    }
}

// The cycle count of "Cycles:": a positive multiple of 0.5 (two vertices to a cycle).
constexpr const char *kCycles = "Cycles";
double cyclesOf(FormExpr &w) {
    const double cycles = strictValueOf(w.TextCycles, kCycles, Allowed::Positive);
    if (std::nearbyint(2 * cycles) != 2 * cycles)
        throw FieldError(FieldError(kCycles, "the number of cycles (" + w.TextCycles.text() +
                                                 ") must be a multiple of 0.5"),
                         w.TextCycles);
    return cycles;
}

} // namespace

void ReadChoices(Application &app) {
    ExperimentState &state = app.state();
    app.form<FormTech>().TechValue();
    for (const auto &[code, option] : app.form<FormMech>().mech.elements())
        if (option->value()) {
            state.mechanism = static_cast<Int16>(code);
            break;
        }
    if (const MechanismEntry *entry = findMechanism(state.mechanism)) {
        state.speciesCount = entry->speciesCount;
        state.chargeCount = entry->chargeCount();
        state.chemCount = entry->chemCount();
    }
    state.columnCount = state.speciesCount;
}

void ReadParameters(Application &app) {
    ReadChoices(app);
    ExperimentState &state = app.state();
    FormExpr &w = app.form<FormExpr>();
    const auto technique = static_cast<Technique>(state.technique);
    const auto electrode = static_cast<Electrode>(state.electrode);
    const bool pulsed =
        technique == Technique::NormalPulse || technique == Technique::DifferentialPulse;
    const bool squareWave = technique == Technique::SquareWave;
    const bool pulseTimeUsed =
        pulsed || squareWave || (technique == Technique::DC && state.digital != 0);
    const bool areaTyped = electrode == Electrode::Planar || electrode == Electrode::ThinFilm;
    const bool rotating = electrode == Electrode::RotatingDisk;
    const bool lengthUsed = electrode == Electrode::Cylindrical ||
                            electrode == Electrode::Hemicylindrical ||
                            electrode == Electrode::ThinFilm;
    auto scalar = [](TextBox &box, const Label &caption, bool used, Allowed allowed) {
        return used ? strictValueOf(box, caption, allowed) : unusedValueOf(box.text());
    };

    const bool sweep = technique == Technique::LinearSweep;
    state.cycles = w.option9.value()    ? 0.5
                   : w.option10.value() ? 1
                   : w.Option11.value() ? 2
                                        : cyclesOf(w);
    state.eStart = strictValueOf(w.Estart, w.LabelEstart, Allowed::AnyNumber);
    state.eEnd = strictValueOf(w.Eend, w.LabelEend, Allowed::AnyNumber);
    // The pulse techniques run E start -> E end and back: their vertex 2 and end are E start.
    state.eVertex2 =
        sweep ? strictValueOf(w.Evertex2, w.LabelEvertex2, Allowed::AnyNumber) : state.eStart;
    state.eFinal =
        sweep ? strictValueOf(w.Efinal, w.LabelEfinal, Allowed::AnyNumber) : state.eStart;
    state.quietTime = sweep ? strictValueOf(w.TextQuiet, w.LabelQuiet, Allowed::NonNegative) : 0;
    state.vertexHold =
        sweep ? strictValueOf(w.TextVertexHold, w.LabelVertexHold, Allowed::NonNegative) : 0;
    state.eStep = std::fabs(strictValueOf(w.Estep, w.LabelEstep, Allowed::NonZero));
    state.area = scalar(w.ARE, w.LabelArea, areaTyped, Allowed::Positive);
    state.cdl = strictValueOf(w.Cdl, w.LabelCdl, Allowed::NonNegative);
    state.temperatureK =
        strictValueOf(w.txttemp, w.Labeltemp, Allowed::AboveAbsoluteZero) + kCelsiusOffset;
    state.pulseAmplitude =
        scalar(w.Epulse, w.LabelEpulse, pulsed || squareWave, Allowed::AnyNumber);
    state.noisePercent = strictValueOf(w.Noise, w.LabelNoise, Allowed::NonNegative);
    if (squareWave)
        strictValueOf(w.TextF, w.LabelF, Allowed::Positive); // t pulse is derived from it
    state.dropTime = strictValueOf(w.td, w.Labeltd, Allowed::Positive);
    state.pulseTime = scalar(w.tp, w.Labeltp, pulseTimeUsed, Allowed::Positive);
    state.scanRate = std::fabs(squareWave ? unusedValueOf(w.V.text())
                                          : strictValueOf(w.V, w.LabelV, Allowed::NonZero));
    state.length = scalar(w.leng, w.LabelLength, lengthUsed, Allowed::Positive);
    state.radius = scalar(w.radius, w.LabelRadius, !areaTyped, Allowed::Positive);
    state.viscosity = scalar(w.TextVis, w.LabelVis, rotating, Allowed::Positive);
    state.rotationRate =
        scalar(w.TextRrate, w.LabelRrate, rotating, Allowed::Positive) * kPi / 30; // rpm -> rad/s
    // The simulation reads the resistance itself; it is checked here with every other box,
    // before anything is computed.
    scalar(w.Ru, w.LabelRu, resistanceInUse(state), Allowed::NonNegative);
    state.supportConc =
        strictValueOf(w.TextElectrolyteC, w.LabelElectrolyteC, Allowed::NonNegative);
    state.supportCond =
        strictValueOf(w.TextElectrolyteCond, w.LabelElectrolyteCond, Allowed::AnyNumber);
    if (pulsed && !(state.dropTime > state.pulseTime))
        throw FieldError(w.Labeltd.caption(),
                         "must be longer than " + w.Labeltp.caption() + " in the pulse techniques");
    w.radius_Change();

    readSteps(w, state);
    // The initial concentrations follow from the boxes as they stand (pre-equilibrated when
    // that is ticked), as the fit derives them at every trial, also when the window was never
    // opened or the mechanism changed since.
    w.recomputeAllConcentrations();
    readSpecies(w, state);
    if (state.digital == 0)
        state.caseCode = static_cast<Int16>(state.electrode + 10 * state.technique);
}

bool takeParameters(Application &app) {
    const ExperimentState before = app.state();
    try {
        ReadParameters(app);
        return true;
    } catch (const FieldError &error) {
        app.state() = before;
        app.showMessage(error.what());
        if (error.box() != nullptr)
            error.box()->requestFocus();
        return false;
    }
}

} // namespace kemvo
