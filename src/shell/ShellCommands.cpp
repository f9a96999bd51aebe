#include "shell/ShellCommands.h"

#include "shell/Application.h"
#include "shell/CurveScaling.h"

#include <string>
#include <utility>

namespace kemvo {

void mnuNextCurve_Click(Application &app) {
    ExperimentState &state = app.state();
    state.currentCurve = state.currentCurve < state.curveCount ? state.currentCurve + 1 : 1;
    TextWindow &result = app.formResult();
    result.show();
    result.print(ReportLine().text("Curve Number is ").number(state.currentCurve));
}

void mnuAbout_Click(Application &app) {
    TextWindow &about = app.formAbout();
    about.show();
    about.print(std::string(53, '*'));
    about.print("Kemvo         Version 3.1");
    about.print("simulates voltammetric curves and separates overlapped peaks");
    about.print("Please read document kemvodoc.htm for help");
    about.print("");
    about.print("");
    about.print(std::string(54, '*'));
}

void installShellCommands(Application &app) {
    MainWindowModel &window = app.mainWindow();
    window.menu("mnuNextCurve").onClick = [&app] { mnuNextCurve_Click(app); };
    window.menu("mnuAbout").onClick = [&app] { mnuAbout_Click(app); };
    window.menu("mnuContents").onClick = [&app] { app.formHelp().show(); };
    window.menu("mnuExit").onClick = [&app] {
        if (app.platform().quit)
            app.platform().quit();
    };

    const std::pair<const char *, double> xFactors[] = {{"mnu1000X", 1000},
                                                        {"mnu10X", 10},
                                                        {"mnu01X", 0.1},
                                                        {"mnu0001X", 0.001},
                                                        {"mnuMinusX", -1}};
    for (const auto &[name, factor] : xFactors)
        window.menu(name).onClick = [&app, f = factor] { scalePotential(app, f); };
    const std::pair<const char *, double> yFactors[] = {{"mnu1000Y", 1000},
                                                        {"mnu10Y", 10},
                                                        {"mnu01Y", 0.1},
                                                        {"mnu0001Y", 0.001},
                                                        {"mnuMinusY", -1}};
    for (const auto &[name, factor] : yFactors)
        window.menu(name).onClick = [&app, f = factor] { scaleCurrentCurve(app, f); };
}

} // namespace kemvo
