#pragma once
// The File menu's file commands: Save (the parameter report), Import Data, Export Data and
// Export All Curves.

#include <string>

namespace kemvo {

class Application;

inline constexpr const char *kCsvFilter = "csv|*.csv|all|*.*";
// Import Data recognises a file by its content; the filter only helps to find it.
inline constexpr const char *kImportFilter =
    "Data files|*.csv *.txt *.mpt *.dta *.DTA|csv|*.csv|EC-Lab text|*.mpt|"
    "CH Instruments text|*.txt *.csv|Gamry data|*.dta *.DTA|NOVA ASCII|*.txt *.csv|"
    "PSTrace CSV|*.csv|EC4 text|*.txt|All files (*)|*";
inline constexpr const char *kParameterFilter = "parameter (*.par)|*.par|all|*.*";

void installFilesCommands(Application &app);

// Reads the file chosen in the open dialog whole and checks it before anything changes: a bare
// two-column file or an instrument file of one curve is taken at once into a new curve slot (its
// point count and potential step reported on FormResult, the parameters window primed with its
// programme); a file of several curves opens FormImport to choose one. A failure shows
// "ReadData Error: " and the reason and leaves the curves and the windows as they were. The
// reading shows its progress ("Importing") and stops on Stop with "Import stopped: the curves
// are as they were."
// Returns true when a curve was taken.
bool ReadData(Application &app);

// Writes the parameter report to the file chosen in the save dialog (".par" added to a name
// without an extension).
void SaveParameters(Application &app);

// Writes the current curve's points firstPoint..lastPoint to the file chosen in the save dialog
// (".csv" added to a name without an extension).
void exportCurrentCurve(Application &app);

// Export All Curves: every curve on the plot, with a header row, to the file chosen in the
// save dialog (".csv" added to a name without an extension).
void exportAllCurves(Application &app);

void mnuImport_Click(Application &app);

// The name as typed, with the extension added only to a plain new name in a writable folder:
// "run" -> "run.par"; a name that exists (a file, a folder, a device), ".", ".." or a name in a
// folder the user cannot write stays as typed, so that its own refusal names it.
std::string withExtension(const std::string &name, const std::string &extension);

} // namespace kemvo
