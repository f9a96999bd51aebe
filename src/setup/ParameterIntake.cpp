#include "setup/ParameterIntake.h"

#include "setup/Catalogue.h"
#include "setup/FormExpr.h"
#include "setup/FormMech.h"
#include "setup/FormTech.h"
#include "shell/Application.h"
#include "shell/Constants.h"
#include "shell/NumberText.h"

#include <cmath>

namespace kemvo {
namespace {

// The lenient value of a text; a number too large for a double names its field.
double valueOf(const std::string &text, const std::string &field) {
    try {
        return leadingValue(text);
    } catch (const RuntimeError &error) {
        throw FieldError(field, error.what());
    }
}

double valueOf(const TextBox &box, const Label &caption) {
    return valueOf(box.text(), caption.caption());
}

double valueOf(const TextBox &box) {
    return valueOf(box.text(), box.qualifiedName());
}

// The whole text must be a number.
double strictValueOf(const TextBox &box, const Label &caption) {
    if (!isNumber(box.text()))
        throw FieldError(caption.caption(), "\"" + box.text() + "\" is not a number");
    return valueOf(box, caption);
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

    state.cycles = w.option9.value() ? 0.5 : w.option10.value() ? 1 : 2;
    state.eStart = valueOf(w.Estart, w.LabelEstart);
    state.eEnd = valueOf(w.Eend, w.LabelEend);
    state.eStep = std::fabs(strictValueOf(w.Estep, w.LabelEstep));
    state.area = valueOf(w.ARE, w.LabelArea);
    state.cdl = valueOf(w.Cdl, w.LabelCdl);
    state.temperatureK = valueOf(w.txttemp, w.Labeltemp) + kCelsiusOffset;
    state.pulseAmplitude = valueOf(w.Epulse, w.LabelEpulse);
    state.noisePercent = valueOf(w.Noise, w.LabelNoise);
    state.dropTime = valueOf(w.td, w.Labeltd);
    state.pulseTime = valueOf(w.tp, w.Labeltp);
    state.scanRate = std::fabs(strictValueOf(w.V, w.LabelV));
    state.length = valueOf(w.leng, w.LabelLength);
    state.radius = valueOf(w.radius, w.LabelRadius);
    state.viscosity = valueOf(w.TextVis, w.LabelVis);
    state.rotationRate = valueOf(w.TextRrate, w.LabelRrate) * kPi / 30; // rpm -> rad/s
    state.supportConc = valueOf(w.TextElectrolyteC, w.LabelElectrolyteC);
    state.supportCond = valueOf(w.TextElectrolyteCond, w.LabelElectrolyteCond);
    w.radius_Change();

    for (int r = 1; r <= 3; ++r) {
        state.alpha[r] = valueOf(w.alph(r));
        state.e0[r] = valueOf(w.Eze(r));
        state.ks[r] = valueOf(w.ks(r));
        state.electrons[r] = valueOf(w.NEL(r).text(), w.NEL(r).qualifiedName());
        state.kf[r] = valueOf(w.kf(r));
        state.kb[r] = valueOf(w.kb(r));
        state.keq[r] = valueOf(w.LabelKeq(r).caption(), w.LabelKeq(r).qualifiedName());
        state.stoich[r] = valueOf(w.pl(r).text(), w.pl(r).qualifiedName());
    }
    for (int j = 1; j <= 4; ++j) {
        state.diffusion[j] = valueOf(w.D(j));
        state.cInit[j] = valueOf(w.Cinit(j).caption(), w.Cinit(j).qualifiedName());
        state.speciesCond[j] = valueOf(w.Cond(j - 1));
    }
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
        return false;
    }
}

} // namespace kemvo
