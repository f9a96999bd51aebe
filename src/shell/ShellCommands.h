#pragma once
// The main window's own commands: Next Curve, About, Exit and the scaling submenus.

namespace kemvo {

class Application;

void installShellCommands(Application &app);

void mnuNextCurve_Click(Application &app);
void mnuAbout_Click(Application &app);

} // namespace kemvo
