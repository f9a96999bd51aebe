#include "files/FilesCommands.h"

#include "files/CurveImport.h"
#include "files/CurveTable.h"
#include "files/DataFileWriter.h"
#include "files/FileReplacement.h"
#include "files/FormImport.h"
#include "files/ParameterReport.h"
#include "shell/Application.h"
#include "shell/CommandGuard.h"
#include "shell/NumberText.h"
#include "shell/RuntimeError.h"

#include <filesystem>
#include <functional>
#include <sstream>
#include <unistd.h>

namespace kemvo {
namespace {

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

// Takes the file's one curve at once, or offers its curves in FormImport; returns whether a
// curve was taken.
bool readChosenFile(Application &app) {
    std::optional<std::string> file = chosenName(app.platform().files.openFile(kImportFilter));
    if (!file)
        throw RuntimeError("no file was chosen");
    Progress &progress = app.platform().progress;
    progress.begin("Importing");
    struct Ended {
        Progress &progress;
        ~Ended() { progress.end(); }
    } ended{progress};
    MeasuredFile read = readImportFile(*file, [&progress](double fraction) {
        if (progress.advance(fraction))
            throw StopRequested();
    });
    if (read.curves.size() > 1) {
        app.form<FormImport>().offer(std::move(read));
        return false;
    }
    takeImportedCurve(app, read, read.curves.front(), {true, read.reductionPositive});
    return true;
}

} // namespace

bool ReadData(Application &app) {
    bool taken = false;
    try {
        runTrapped(app, "ReadData Error: ", "", [&] { taken = readChosenFile(app); });
    } catch (const StopRequested &) {
        app.showMessage("Import stopped: the curves are as they were.");
    }
    return taken;
}

std::string withExtension(const std::string &name, const std::string &extension) {
    namespace fs = std::filesystem;
    const fs::path path(name);
    const std::string leaf = path.filename().string();
    if (leaf.empty() || leaf == "." || leaf == ".." || !path.extension().empty())
        return name;
    // Whatever exists under the name typed (a file, a folder, a device) is meant as typed.
    std::error_code error;
    if (fs::symlink_status(path, error).type() != fs::file_type::not_found)
        return name;
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, error) || ::access(folder.c_str(), W_OK) != 0)
        return name;
    return name + extension;
}

void SaveParameters(Application &app) {
    std::optional<std::string> file = chosenName(app.platform().files.saveFile(kParameterFilter));
    if (!file)
        return;
    saveFile(app, "Save Error: ", withExtension(*file, ".par"), [&app](std::ostream &out) {
        writeParameterReport(out, app.state());
        ReportSettings settings;
        const std::string &ru = app.control<TextBox>("FormExpr", "Ru").text();
        settings.resistance = isNumber(ru) ? leadingValue(ru) : 0;
        settings.grid = !app.state().digital                                       ? "analytical"
                        : app.control<CheckBox>("FormTech", "CheckFine").checked() ? "fine"
                                                                                   : "standard";
        writeExperimentAndFit(out, app.state(), settings, app.lastFit);
    });
}

// True when the current curve holds at least one point that Export would write.
bool holdsACurve(const ExperimentState &state) {
    return state.currentCurve >= 1 && state.firstPoint >= 1 && state.lastPoint >= state.firstPoint;
}

// The CSV file a curve export writes to, with ".csv" added to a plain new name; none when
// there is no curve (said) or the user cancels the dialog.
std::optional<std::string> curveExportFile(Application &app) {
    if (!holdsACurve(app.state())) {
        app.showMessage("Export Data Error: there is no curve to export; simulate or import one "
                        "first");
        return std::nullopt;
    }
    std::optional<std::string> file = chosenName(app.platform().files.saveFile(kCsvFilter));
    if (!file)
        return std::nullopt;
    return withExtension(*file, ".csv");
}

void exportCurrentCurve(Application &app) {
    std::optional<std::string> file = curveExportFile(app);
    if (!file)
        return;
    saveFile(app, "Export Data Error: ", *file, [&app](std::ostream &out) {
        const ExperimentState &state = app.state();
        const CurveStore &store = app.store();
        ExportCurve(out, state.firstPoint, state.lastPoint, store.potential, store.curves,
                    state.currentCurve);
    });
}

void exportAllCurves(Application &app) {
    std::optional<std::string> file = curveExportFile(app);
    if (!file)
        return;
    const std::string quantity = app.control<ComboBox>("formOption", "ComboY").text();
    saveFile(app, "Export Data Error: ", *file,
             [&](std::ostream &out) { writeCurveTable(out, app.state(), app.store(), quantity); });
}

void mnuImport_Click(Application &app) {
    if (ReadData(app))
        finishImport(app);
}

void installFilesCommands(Application &app) {
    MainWindowModel &window = app.mainWindow();
    window.menu("mnuSave").onClick = [&app] { SaveParameters(app); };
    window.menu("mnuImport").onClick = [&app] { mnuImport_Click(app); };
    window.menu("mnuExport").onClick = [&app] { exportCurrentCurve(app); };
    window.menu("mnuExportAll").onClick = [&app] { exportAllCurves(app); };
}

} // namespace kemvo
