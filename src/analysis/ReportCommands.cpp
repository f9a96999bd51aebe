#include "analysis/ReportCommands.h"

#include "analysis/HalfwavePotential.h"
#include "analysis/PeakFinding.h"
#include "analysis/TheoreticalPeak.h"
#include "shell/Application.h"
#include "shell/CommandGuard.h"

#include <algorithm>

namespace kemvo {

void mnuFindPeak_Click(Application &app) {
    const ExperimentState &state = app.state();
    // Never past the arrays' last point, which a failed simulation of too many points leaves.
    const int last = std::min<int>(state.lastPoint, kMaxPoints);
    runTrapped(app, "Find Peak Error: ", "",
               [&app, &state, last] { FindPeak(app, state.firstPoint + 2, last - 2); });
}

void mnuFindHalfwaveE_Click(Application &app) {
    runTrapped(app, "Find Halfwave E Error: ", "", [&app] { FindHalfwaveE(app); });
}

void mnuCompId_Click(Application &app) {
    TheoreticalPeak(app);
}

void installAnalysisReports(Application &app) {
    MainWindowModel &window = app.mainWindow();
    window.menu("mnuFindPeak").onClick = [&app] { mnuFindPeak_Click(app); };
    window.menu("mnuFindHalfwaveE").onClick = [&app] { mnuFindHalfwaveE_Click(app); };
    window.menu("mnuCompId").onClick = [&app] { mnuCompId_Click(app); };
}

} // namespace kemvo
