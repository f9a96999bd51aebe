#include "setup/SetupCommands.h"

#include "setup/FormExpr.h"
#include "setup/FormMech.h"
#include "setup/FormTech.h"
#include "setup/ParameterIntake.h"
#include "shell/Application.h"

namespace kemvo {

void mnuTech_Click(Application &app) {
    app.form<FormTech>().show();
}

void mnuMechamism_Click(Application &app) {
    app.form<FormMech>().show();
}

void mnuExperimental_Click(Application &app) {
    ReadChoices(app);
    FormExpr &window = app.form<FormExpr>();
    window.show();
    window.activate();
}

void installSetupCommands(Application &app) {
    MainWindowModel &window = app.mainWindow();
    window.menu("mnuTech").onClick = [&app] { mnuTech_Click(app); };
    window.menu("mnuMechamism").onClick = [&app] { mnuMechamism_Click(app); };
    window.menu("mnuExperimental").onClick = [&app] { mnuExperimental_Click(app); };
}

} // namespace kemvo
