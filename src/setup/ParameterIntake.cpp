#include "setup/ParameterIntake.h"

#include "setup/Catalogue.h"
#include "setup/FormExpr.h"
#include "setup/FormMech.h"
#include "setup/FormTech.h"
#include "shell/Application.h"
#include "shell/Constants.h"
#include "shell/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kemvo {
namespace {

// What a box in use may hold.
enum class Allowed {
    AnyNumber,
    NonZero,
    Positive,
    NonNegative,
    UnitInterval,
    OneOrMore,
    AboveAbsoluteZero, // degrees Celsius
};

std::string allowedText(Allowed allowed) {
    switch (allowed) {
    case Allowed::AnyNumber:
        return "must be a number";
    case Allowed::NonZero:
        return "must be a number other than 0";
    case Allowed::Positive:
        return "must be a number greater than 0";
    case Allowed::NonNegative:
        return "must be a number of 0 or more";
    case Allowed::UnitInterval:
        return "must be a number from 0 to 1";
    case Allowed::OneOrMore:
        return "must be a number of 1 or more";
    case Allowed::AboveAbsoluteZero:
        return "must be a number greater than -273.14";
    }
    return "must be a number";
}

bool isAllowed(double value, Allowed allowed) {
    switch (allowed) {
    case Allowed::AnyNumber:
        return true;
    case Allowed::NonZero:
        return value != 0;
    case Allowed::Positive:
        return value > 0;
    case Allowed::NonNegative:
        return value >= 0;
    case Allowed::UnitInterval:
        return value >= 0 && value <= 1;
    case Allowed::OneOrMore:
        return value >= 1;
    case Allowed::AboveAbsoluteZero:
        return value + kCelsiusOffset > 0;
    }
    return false;
}

// Length of the well-formed UTF-8 sequence at text[at], or 0 when the byte starts none.
std::size_t utf8SequenceAt(const std::string &text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    if (length == 0 || at + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80)
            return 0;
    return length;
}

// A typed text as a message quotes it: control bytes and bytes that are no UTF-8 character
// escaped (\xFF), a long text cut short.
std::string quoted(const std::string &text) {
    constexpr std::size_t kShown = 40;
    std::string out = "\"";
    std::size_t at = 0;
    while (at < text.size() && at < kShown) {
        const auto byte = static_cast<unsigned char>(text[at]);
        const std::size_t sequence = byte >= 0x80 ? utf8SequenceAt(text, at) : 1;
        if (byte < 0x20 || byte == 0x7F || sequence == 0) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
            ++at;
        } else {
            out += text.substr(at, sequence);
            at += sequence;
        }
    }
    return out + (at < text.size() ? "...\"" : "\"");
}

// A decimal comma where a point was meant: "1,5e-3" reads as a number once the comma is a point.
std::string withDecimalPoint(const std::string &text) {
    std::string pointed = text;
    std::replace(pointed.begin(), pointed.end(), ',', '.');
    return pointed;
}

// The value of a box in use: the whole text must be a number the physics allows. The refusal
// names the box as the window shows it and says what it may hold.
double strictValueOf(const std::string &text, const std::string &caption, Allowed allowed) {
    if (!isNumber(text)) {
        if (text.find(',') != std::string::npos && isNumber(withDecimalPoint(text)))
            throw FieldError(caption, quoted(text) +
                                          " has a decimal comma; write it with a decimal "
                                          "point: " +
                                          withDecimalPoint(text));
        throw FieldError(caption, quoted(text) + " is not a number; it " + allowedText(allowed));
    }
    double value = 0;
    try {
        value = leadingValue(text);
    } catch (const RuntimeError &) {
        throw FieldError(caption, quoted(text) + " is too large; it " + allowedText(allowed));
    }
    if (!isAllowed(value, allowed))
        throw FieldError(caption, allowedText(allowed) + ", not " + quoted(text));
    return value;
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

    state.cycles = w.option9.value() ? 0.5 : w.option10.value() ? 1 : 2;
    state.eStart = strictValueOf(w.Estart, w.LabelEstart, Allowed::AnyNumber);
    state.eEnd = strictValueOf(w.Eend, w.LabelEend, Allowed::AnyNumber);
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
    state.supportConc =
        strictValueOf(w.TextElectrolyteC, w.LabelElectrolyteC, Allowed::NonNegative);
    state.supportCond =
        strictValueOf(w.TextElectrolyteCond, w.LabelElectrolyteCond, Allowed::AnyNumber);
    if (pulsed && !(state.dropTime > state.pulseTime))
        throw FieldError(w.Labeltd.caption(),
                         "must be longer than " + w.Labeltp.caption() + " in the pulse techniques");
    w.radius_Change();

    readSteps(w, state);
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
