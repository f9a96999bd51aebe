#pragma once
// The Input menu: the technique and mechanism choosers and the parameters window.

namespace kemvo {

class Application;

void installSetupCommands(Application &app);

void mnuTech_Click(Application &app);
void mnuMechamism_Click(Application &app);
// Reads the technique and mechanism into the state, then shows and activates FormExpr.
void mnuExperimental_Click(Application &app);

} // namespace kemvo
