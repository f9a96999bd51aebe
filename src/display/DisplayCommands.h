#pragma once
// The main window's entries that act on the plot: Option, Plot, Clear, Copy to Clipboard and
// Print; installing them also makes DrawPlot the drawing step of every refresh.

namespace kemvo {

class Application;

void installDisplayCommands(Application &app);

void mnuOption_Click(Application &app);
void mnuPlot_Click(Application &app);
void mnuClear_Click(Application &app);
void mnuCopyto_Click(Application &app);
void mnuPrint_Click(Application &app);

} // namespace kemvo
