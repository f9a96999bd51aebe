#include "files/FilesCommands.h"

#include "files/DataFileReader.h"
#include "files/DataFileWriter.h"
#include "files/FileReplacement.h"
#include "files/ParameterReport.h"
#include "shell/Application.h"
#include "shell/CommandGuard.h"
#include "shell/CurveSlots.h"
#include "shell/NumberText.h"
#include "shell/RuntimeError.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>

namespace kemvo {
namespace {

// The potential step of an imported axis. The difference of two potentials carries rounding
// noise in its last digits (0.3 - 0.295 = 0.0050000000000000044); to 15 significant digits, as
// a double's general format shows it, the step reads as it was meant (0.005).
double importedStep(double first, double second) {
    double step = checkedFinite(std::fabs(second - first));
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", step);
    return std::strtod(text, nullptr);
}

// The name chosen in a dialog; cancelling yields none.
std::optional<std::string> chosenName(std::optional<std::string> name) {
    if (name && name->empty())
        return std::nullopt;
    return name;
}

// Writes what `write` produces to the file through replaceFile. A failure is shown as a message
// naming the file and the reason, so that nobody believes a file was saved that was not.
void saveFile(Application &app, const std::string &prefix, const std::string &file,
              const std::function<void(std::ostream &)> &write) {
    try {
        std::ostringstream content;
        write(content);
        replaceFile(file, content.str());
    } catch (const RuntimeError &error) {
        app.showMessage(prefix + file + ": " + error.what());
    } catch (const std::bad_alloc &) {
        app.showMessage(prefix + file + ": Out of memory");
    }
}

void readChosenFile(Application &app) {
    std::optional<std::string> file = chosenName(app.platform().files.openFile(kCsvFilter));
    if (!file)
        throw RuntimeError("no file was chosen");
    ExperimentState &state = app.state();
    CurveStore &store = app.store();
    int count = readDataFile(*file, store.potential, store.curves, state.simSlot);
    state.pointCount = count;
    state.firstPoint = 1;
    state.lastPoint = count;

    double step = importedStep(store.potential(1), store.potential(2));
    TextWindow &result = app.formResult();
    result.print(ReportLine().text("Number of data point = ").number(count));
    result.print(ReportLine().text("E step = ").number(step));
    // Their change handlers recompute what depends on the potential programme.
    app.control<TextBox>("FormExpr", "Estart").setText(generalNumber(store.potential(1)));
    app.control<TextBox>("FormExpr", "Estep").setText(generalNumber(step));
}

} // namespace

bool ReadData(Application &app) {
    bool overlap = app.control<CheckBox>("formOption", "overlap").checked();
    allocateCurveSlot(app.state(), overlap);
    return runTrapped(app, "ReadData Error: ", "", [&app] { readChosenFile(app); });
}

void SaveParameters(Application &app) {
    std::optional<std::string> file = chosenName(app.platform().files.saveFile(kParameterFilter));
    if (!file)
        return;
    saveFile(app, "Save Error: ", *file,
             [&app](std::ostream &out) { writeParameterReport(out, app.state()); });
}

// True when the current curve holds at least one point that Export would write.
bool holdsACurve(const ExperimentState &state) {
    return state.currentCurve >= 1 && state.firstPoint >= 1 && state.lastPoint >= state.firstPoint;
}

void exportCurrentCurve(Application &app) {
    if (!holdsACurve(app.state())) {
        app.showMessage("Export Data Error: there is no curve to export; simulate or import one "
                        "first");
        return;
    }
    std::optional<std::string> file = chosenName(app.platform().files.saveFile(kCsvFilter));
    if (!file)
        return;
    saveFile(app, "Export Data Error: ", *file, [&app](std::ostream &out) {
        const ExperimentState &state = app.state();
        const CurveStore &store = app.store();
        ExportCurve(out, state.firstPoint, state.lastPoint, store.potential, store.curves,
                    state.currentCurve);
    });
}

void mnuImport_Click(Application &app) {
    if (!ReadData(app))
        return;
    app.refreshPlot();
    app.formResult().show();
    app.mainWindow().enableDisplayAndAnalysis();
}

void installFilesCommands(Application &app) {
    MainWindowModel &window = app.mainWindow();
    window.menu("mnuSave").onClick = [&app] { SaveParameters(app); };
    window.menu("mnuImport").onClick = [&app] { mnuImport_Click(app); };
    window.menu("mnuExport").onClick = [&app] { exportCurrentCurve(app); };
}

} // namespace kemvo
