#include "setup/FormTech.h"

#include "setup/Catalogue.h"
#include "setup/FormExpr.h"
#include "setup/FormMech.h"
#include "shell/Application.h"

namespace kemvo {

FormTech::FormTech(Application &app)
    : Form("FormTech", "Techniques"), Frame1(add<Frame>("Frame1", -1, "Voltammetry")),
      CheckDigital(add<CheckBox>("CheckDigital", -1, "digital simulation", 1)),
      CheckFine(add<CheckBox>("CheckFine", -1, "fine grid", 0)),
      CmdOK(add<Button>("CmdOK", -1, "OK")), app_(app) {
    for (int code = 1; code <= kTechniqueCount; ++code) {
        auto &option = addTo(optTech, "optTech", code, std::string(techniqueCaption(code)));
        option.setContainer(&Frame1);
        techniques_.add(option);
    }
    optTech(1).select();
    for (int code = 1; code <= kTechniqueCount; ++code)
        optTech(code).onClick = [this] { app_.form<FormExpr>().followChoices(); };
    // The standard grid takes one implicit step of t drop per point of a sweep: its error does
    // not shrink with E step (measured against the exact reversible cycle).
    CheckFine.setToolTip(
        "fine grid: the sweep follows the true linear ramp and converges as E step "
        "is refined (within 0.1 % of the peak at 5 mV); without it a sweep stays "
        "0.7-2 % of the peak off the exact curve at any E step");
    CmdOK.onClick = [this] { CmdOK_Click(); };
    CheckDigital.onClick = [this] { CheckDigital_Click(); };
}

void FormTech::TechValue() {
    for (const auto &[code, option] : optTech.elements())
        if (option->value()) {
            app_.state().technique = static_cast<Int16>(code);
            return;
        }
}

void FormTech::CmdOK_Click() {
    TechValue();
    hide();
    app_.form<FormExpr>().followChoices();
}

void FormTech::CheckDigital_Click() {
    bool digital = CheckDigital.checked();
    app_.state().digital = digital ? 1 : 0;

    // A disabled option says in its tool tip why it is not offered.
    FormMech &mechanisms = app_.form<FormMech>();
    for (int code = 2; code <= kMechanismCount; ++code) {
        const MechanismEntry *entry = findMechanism(code);
        bool offered = digital || entry->analytical;
        std::string className(entry->className);
        std::string reason = "needs the digital simulation";
        mechanisms.mech(code).setToolTip(offered             ? className
                                         : className.empty() ? reason
                                                             : className + ": " + reason);
        mechanisms.mech(code).setEnabled(offered);
    }
    CheckFine.setEnabled(digital);
    FormExpr &parameters = app_.form<FormExpr>();
    parameters.Ru.setEnabled(resistanceInUse(app_.state()));
    parameters.optElectrode(static_cast<int>(Electrode::ThinFilm)).setEnabled(!digital);
    parameters.optElectrode(static_cast<int>(Electrode::RotatingDisk)).setEnabled(!digital);
    parameters.describeBoxes();
}

} // namespace kemvo
