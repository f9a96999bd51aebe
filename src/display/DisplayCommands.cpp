#include "display/DisplayCommands.h"

#include "display/DrawPlot.h"
#include "display/FormOption.h"
#include "display/FormPlot.h"
#include "shell/Application.h"
#include "shell/CommandGuard.h"

namespace kemvo {

void mnuOption_Click(Application &app) {
    app.form<FormOption>().show();
}

void mnuPlot_Click(Application &app) {
    app.refreshPlot();
}

void mnuClear_Click(Application &app) {
    app.form<FormPlot>().picture().clear();
}

void mnuCopyto_Click(Application &app) {
    runTrapped(app, "", "",
               [&] { app.platform().clipboard.putBitmap(app.form<FormPlot>().picture()); });
}

// Without a printer the platform raises an error that says so; it is shown, not swallowed.
void mnuPrint_Click(Application &app) {
    runTrapped(app, "", "", [&] { app.platform().printer.print(app.form<FormPlot>().picture()); });
}

void installDisplayCommands(Application &app) {
    app.drawPlotHook = [&app] { DrawPlot(app); };
    MainWindowModel &window = app.mainWindow();
    window.menu("mnuOption").onClick = [&app] { mnuOption_Click(app); };
    window.menu("mnuPlot").onClick = [&app] { mnuPlot_Click(app); };
    window.menu("mnuClear").onClick = [&app] { mnuClear_Click(app); };
    window.menu("mnuCopyto").onClick = [&app] { mnuCopyto_Click(app); };
    window.menu("mnuPrint").onClick = [&app] { mnuPrint_Click(app); };
}

} // namespace kemvo
