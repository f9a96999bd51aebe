#include "shell/MainWindowModel.h"

#include <stdexcept>

namespace kemvo {

MainWindowModel::MainWindowModel() : Form("MDIForm1", "Kemvo 3.1 for Windows") {
    MenuEntry &file = title("mnuFile", "&File");
    entry(file, "mnuSave", "&Save...");
    entry(file, "mnuBar1", "-");
    entry(file, "mnuImport", "&Import Data...");
    entry(file, "mnuExport", "&Export Data...");
    entry(file, "mnuExportAll", "Export &All Curves…");
    entry(file, "mnuBar2", "-");
    entry(file, "mnuCopyto", "&Copy to Clipboard");
    entry(file, "mnuPrint", "&Print");
    entry(file, "mnuExportPlot", "Export P&lot...");
    entry(file, "mnuBar3", "-");
    entry(file, "mnuExit", "E&xit");

    MenuEntry &input = title("mnuInput", "&Input");
    entry(input, "mnuTech", "&Techniques...");
    entry(input, "mnuMechamism", "&Mechamism...");
    entry(input, "mnuExperimental", "&Experimental...");

    MenuEntry &run = title("mnuRun", "&Run");
    entry(run, "mnuSimulate", "&Simulate");
    entry(run, "mnuBar31", "-");
    entry(run, "mnuManualFit", "&Manual Fit");
    entry(run, "mnuAutoFit", "&Auto Fit");
    entry(run, "mnuUseAsMeasured", "Use Current Curve as Measured");
    entry(run, "mnuTakeFitted", "Take Fitted Values");
    entry(run, "mnuGlobalFit", "Global Fit…");
    entry(run, "mnuBar32", "-");
    entry(run, "mnuManualSeparate", "M&anual Seprarte");
    entry(run, "mnuAutoSeparate", "Auto S&eparate");

    MenuEntry &display = title("mnuDisplay", "&Display");
    entry(display, "mnuOption", "&Option...");
    entry(display, "mnuPlot", "&Plot");
    entry(display, "mnuNextCurve", "&Next Curve");
    entry(display, "mnuClear", "&Clear");

    MenuEntry &analysis = title("mnuData", "&Analysis");
    entry(analysis, "mnuFindPeak", "&Find Peak");
    entry(analysis, "mnuFindHalfwaveE", "Find &Halfwave E");
    entry(analysis, "mnuCompId", "&Theoretical Peak");
    entry(analysis, "mnuBar51", "-");
    entry(analysis, "mnuSemi", "&Semi-differentiate");
    entry(analysis, "mnuSemiInte", "S&emi-intergrate");
    entry(analysis, "mnuDerivative", "&Differentiate");
    entry(analysis, "mnuIntegral", "&Integrate");
    entry(analysis, "mnuBar52", "-");
    MenuEntry &xData = entry(analysis, "mnuXData", "&X Data");
    entry(xData, "mnu1000X", "1000X");
    entry(xData, "mnu10X", "10X");
    entry(xData, "mnu01X", "0.1X");
    entry(xData, "mnu0001X", "0.001X");
    entry(xData, "mnuMinusX", "-X");
    MenuEntry &yData = entry(analysis, "mnuYData", "&Y Data");
    entry(yData, "mnu1000Y", "1000Y");
    entry(yData, "mnu10Y", "10Y");
    entry(yData, "mnu01Y", "0.1Y");
    entry(yData, "mnu0001Y", "0.001Y");
    entry(yData, "mnuMinusY", "-Y");

    MenuEntry &help = title("mnuHelp", "&Help");
    entry(help, "mnuContents", "&Contents");
    entry(help, "mnuAbout", "&About...");

    display.setEnabled(false);
    analysis.setEnabled(false);
}

MenuEntry &MainWindowModel::menu(const std::string &name) const {
    auto *found = dynamic_cast<MenuEntry *>(find(name));
    if (found == nullptr)
        throw std::out_of_range("no menu entry " + name);
    return *found;
}

void MainWindowModel::enableDisplayAndAnalysis() {
    menu("mnuDisplay").setEnabled(true);
    menu("mnuData").setEnabled(true);
}

MenuEntry &MainWindowModel::title(const std::string &name, const std::string &caption) {
    MenuEntry &menuTitle = add<MenuEntry>(name, caption);
    menuBar_.push_back(&menuTitle);
    return menuTitle;
}

MenuEntry &MainWindowModel::entry(MenuEntry &parent, const std::string &name,
                                  const std::string &caption) {
    MenuEntry &child = add<MenuEntry>(name, caption);
    parent.addChild(child);
    return child;
}

} // namespace kemvo
