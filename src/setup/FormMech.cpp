#include "setup/FormMech.h"

#include "setup/Catalogue.h"
#include "setup/FormExpr.h"
#include "setup/ParameterIntake.h"
#include "shell/Application.h"

namespace kemvo {

FormMech::FormMech(Application &app)
    : Form("FormMech", "Mechanism"), Frame1(add<Frame>("Frame1", -1, "Mechanism")),
      Command1(add<Button>("Command1", -1, "OK")), app_(app) {
    for (int code = 1; code <= kMechanismCount; ++code) {
        const MechanismEntry &entry = *findMechanism(code);
        auto &option = addTo(mech, "mech", code, std::string(entry.caption));
        option.setToolTip(std::string(entry.className));
        option.setContainer(&Frame1);
        mechanisms_.add(option);
    }
    mech(1).select();
    for (int code = 1; code <= kMechanismCount; ++code)
        mech(code).onClick = [this] { app_.form<FormExpr>().followChoices(); };
    Command1.onClick = [this] { Command1_Click(); };
}

void FormMech::Command1_Click() {
    ReadChoices(app_);
    hide();
    app_.form<FormExpr>().followChoices();
}

} // namespace kemvo
