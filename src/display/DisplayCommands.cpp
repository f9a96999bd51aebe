#include "display/DisplayCommands.h"

#include "display/DrawPlot.h"
#include "display/FormExportPlot.h"
#include "display/FormOption.h"
#include "display/FormPlot.h"
#include "display/RecordingCanvas.h"
#include "shell/Application.h"
#include "shell/CommandGuard.h"
#include "shell/RuntimeError.h"

#include <filesystem>

namespace kemvo {
namespace {

const char *const kPictureFilter =
    "PNG image (*.png)|*.png|SVG drawing (*.svg)|*.svg|PDF document (*.pdf)|*.pdf";

// The plot drawn afresh onto the canvas of a file, laid out for its size, while the window
// keeps the picture it shows.
void drawPlotOn(Application &app, Canvas &file) {
    FormPlot &plot = app.form<FormPlot>();
    // Showing the window the first time lends it the view's canvas: before the file's is lent.
    plot.show();
    struct Restore {
        FormPlot &plot;
        Canvas *shown;
        ~Restore() { plot.setPicture(shown); }
    } restore{plot, plot.lentPicture()};
    plot.setPicture(&file);
    DrawPlot(app);
}

// The size asked for in the window "Export Plot"; nothing when the window was cancelled or
// the size is out of range (said in a message).
std::optional<PictureSize> askPictureSize(Application &app) {
    FormExportPlot &form = app.form<FormExportPlot>();
    if (app.platform().runDialog) {
        form.ask();
        app.platform().runDialog(form);
        if (!form.accepted())
            return std::nullopt;
    }
    std::optional<PictureSize> size;
    runTrapped(app, "Export Plot Error: ", "", [&] { size = form.pictureSize(); });
    return size;
}

// A name typed without a suffix is given the first format of the list.
std::string withPictureSuffix(const std::string &fileName) {
    return std::filesystem::path(fileName).has_extension() ? fileName : fileName + ".png";
}

} // namespace

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

// The plot as a picture file of the size asked for: PNG, SVG or PDF by the suffix of the name.
void mnuExportPlot_Click(Application &app) {
    if (app.state().curveCount == 0) {
        app.showMessage("Error: No data!");
        return;
    }
    std::optional<PictureSize> size = askPictureSize(app);
    if (!size)
        return;
    std::optional<std::string> chosen = app.platform().files.saveFile(kPictureFilter);
    if (!chosen)
        return;
    bool wasShown = app.form<FormPlot>().visible();
    runTrapped(app, "Plot Error: ", "", [&] {
        if (!app.platform().writePicture)
            throw RuntimeError("No picture files can be written here");
        app.platform().writePicture(withPictureSuffix(*chosen), *size,
                                    [&](Canvas &file) { drawPlotOn(app, file); });
    });
    // Drawing the recording showed a hidden plot window, whose own picture is still empty.
    if (!wasShown)
        app.refreshPlot();
}

void installDisplayCommands(Application &app) {
    app.drawPlotHook = [&app] { DrawPlot(app); };
    MainWindowModel &window = app.mainWindow();
    window.menu("mnuOption").onClick = [&app] { mnuOption_Click(app); };
    window.menu("mnuPlot").onClick = [&app] { mnuPlot_Click(app); };
    window.menu("mnuClear").onClick = [&app] { mnuClear_Click(app); };
    window.menu("mnuCopyto").onClick = [&app] { mnuCopyto_Click(app); };
    window.menu("mnuPrint").onClick = [&app] { mnuPrint_Click(app); };
    window.menu("mnuExportPlot").onClick = [&app] { mnuExportPlot_Click(app); };
}

} // namespace kemvo
