#pragma once
// The main window's entries that act on the plot: Option, Plot, Clear, Copy to Clipboard,
// Print and Export Plot; installing them also makes DrawPlot the drawing step of every refresh.

namespace kemvo {

class Application;

void installDisplayCommands(Application &app);

void mnuOption_Click(Application &app);
void mnuPlot_Click(Application &app);
void mnuClear_Click(Application &app);
void mnuCopyto_Click(Application &app);
void mnuPrint_Click(Application &app);
// Asks for the picture's size (FormExportPlot) and a file name, and writes the plot, drawn
// afresh at that size, as PNG, SVG or PDF by its suffix (".png" added to a name without one).
void mnuExportPlot_Click(Application &app);

} // namespace kemvo
