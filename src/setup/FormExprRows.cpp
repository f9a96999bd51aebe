// What the parameters window shows for the technique, electrode and mechanism in hand: one rule
// a line, so that a chemist can look up why a box is there or not.

#include "setup/Catalogue.h"
#include "setup/FormExpr.h"
#include "shell/Application.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace kemvo {
namespace {

// What a rule sets on its controls.
enum class Sets { Visible, Enabled, Locked };

struct RowRule {
    std::vector<Control *> controls;
    Sets sets;
    bool when;
};

void apply(std::initializer_list<RowRule> rules) {
    for (const RowRule &rule : rules)
        for (Control *control : rule.controls)
            switch (rule.sets) {
            case Sets::Visible:
                control->setVisible(rule.when);
                break;
            case Sets::Enabled:
                control->setEnabled(rule.when);
                break;
            case Sets::Locked:
                static_cast<TextBox *>(control)->setLocked(rule.when);
                break;
            }
}

} // namespace

void FormExpr::applyTechniqueRows() {
    const ExperimentState &state = app_.state();
    const auto technique = static_cast<Technique>(state.technique);
    const bool pulsed =
        technique == Technique::NormalPulse || technique == Technique::DifferentialPulse;
    const bool squareWave = technique == Technique::SquareWave;
    // The digital DC run steps its time in t pulse: the box is offered whenever it counts.
    const bool pulseTimed = pulsed || (technique == Technique::DC && state.digital != 0);
    apply({
        // controls        sets            when
        {{&Epulse}, Sets::Visible, pulsed || squareWave},
        {{&TextF}, Sets::Visible, squareWave},
        {{&tp}, Sets::Enabled, pulseTimed},
        {{&V}, Sets::Visible, !squareWave},
        {{&Ru}, Sets::Enabled, resistanceInUse(state)},
        // The sweep runs a potentiostat's programme; the pulse techniques go out and back.
        {{&LabelEvertex2, &Evertex2, &LabelEfinal, &Efinal, &LabelQuiet, &TextQuiet,
          &LabelVertexHold, &TextVertexHold},
         Sets::Visible,
         technique == Technique::LinearSweep},
    });
}

void FormExpr::applyElectrodeRows() {
    const auto kind = static_cast<Electrode>(app_.state().electrode);
    const bool lengthTyped = kind == Electrode::Cylindrical || kind == Electrode::Hemicylindrical ||
                             kind == Electrode::ThinFilm;
    // The area of a plane and of a thin film is typed; every other follows from its radius.
    const bool areaComputed = kind != Electrode::Planar && kind != Electrode::ThinFilm;
    const bool rotating = kind == Electrode::RotatingDisk;
    apply({
        // controls                                   sets            when
        {{&LabelLength, &leng}, Sets::Visible, lengthTyped},
        {{&LabelRadius, &radius}, Sets::Visible, areaComputed},
        {{&ARE}, Sets::Locked, areaComputed},
        {{&LabelVis, &TextVis, &LabelRrate, &TextRrate}, Sets::Visible, rotating},
    });
    if (lengthTyped)
        LabelLength.setCaption(kind == Electrode::ThinFilm ? "Thick (cm)" : "Length (cm)");
}

// The species, charge-transfer and chemical rows: as many as the mechanism has, with their
// fit entries (species A always).
void FormExpr::applySpeciesRows() {
    const int count = app_.state().speciesCount;
    for (int j = 1; j <= 4; ++j) {
        const bool shown = j == 1 || j <= count;
        apply({{{&specie(j), &D(j), &C(j), &Cinit(j), &Cond(j - 1)}, Sets::Visible, shown}});
        showFitEntry(fitConcentration(j), shown);
    }
}

void FormExpr::applyChargeRows() {
    const int count = app_.state().chargeCount;
    for (int r = 1; r <= 3; ++r) {
        const bool shown = r <= count;
        apply({{{&heter(r), &ks(r), &alph(r), &NEL(r), &Eze(r)}, Sets::Visible, shown}});
        for (int entry : {fitKs(r), fitAlpha(r), fitE0(r)})
            showFitEntry(entry, shown);
    }
}

void FormExpr::applyChemicalRows() {
    const int count = app_.state().chemCount;
    for (int r = 1; r <= 3; ++r) {
        const bool shown = r <= count;
        apply({{{&homo(r), &pl(r), &kf(r), &kb(r), &LabelKeq(r)}, Sets::Visible, shown}});
        for (int entry : {fitKf(r), fitKb(r)})
            showFitEntry(entry, shown);
        if (shown)
            keqChange(r);
    }
}

void FormExpr::setStepCaptions() {
    const MechanismEntry *entry = findMechanism(app_.state().mechanism);
    if (entry == nullptr)
        return;
    for (int r = 1; r <= entry->chargeCount(); ++r)
        heter(r).setCaption(std::string(entry->chargeSteps[static_cast<std::size_t>(r - 1)]));
    for (int r = 1; r <= entry->chemCount(); ++r)
        homo(r).setCaption(std::string(entry->chemSteps[static_cast<std::size_t>(r - 1)]));
}

// A fit entry is shown with its row; its range only while it is ticked.
void FormExpr::showFitRange(int index) {
    const bool shown = CheckFitted(index).checked() && CheckFitted(index).visible();
    TextCmin(index).setVisible(shown);
    TextCmax(index).setVisible(shown);
}

void FormExpr::showFitEntry(int index, bool rowShown) {
    CheckFitted(index).setVisible(rowShown);
    showFitRange(index);
}

} // namespace kemvo
