#pragma once
// The Analysis menu's reports on the result window: "&Find Peak", "Find &Halfwave E" and
// "&Theoretical Peak". They append to the window and change no curve.

namespace kemvo {

class Application;

void installAnalysisReports(Application &app);

// FindPeak over points firstPoint + 2 .. lastPoint - 2 of every curve.
void mnuFindPeak_Click(Application &app);
void mnuFindHalfwaveE_Click(Application &app);
void mnuCompId_Click(Application &app);

} // namespace kemvo
