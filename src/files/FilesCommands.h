#pragma once
// The File menu's file commands: Save (the parameter report), Import Data and Export Data.

#include <string>

namespace kemvo {

class Application;

inline constexpr const char *kCsvFilter = "csv|*.csv|all|*.*";
inline constexpr const char *kParameterFilter = "parameter (*.par)|*.par|all|*.*";

void installFilesCommands(Application &app);

// Reads a data file chosen in the open dialog into a new curve slot, reports the point count
// and the potential step on FormResult and primes Estart and Estep of the parameters window.
// A failure shows "ReadData Error: " and where the data went wrong; the points read before it
// and the slot allocation stay. Returns true when the file was read.
bool ReadData(Application &app);

// Writes the parameter report to the file chosen in the save dialog.
void SaveParameters(Application &app);

// Writes the current curve's points firstPoint..lastPoint to the file chosen in the save dialog.
void exportCurrentCurve(Application &app);

void mnuImport_Click(Application &app);

} // namespace kemvo
