#include "app/Workbench.h"

#include "analysis/ReportCommands.h"
#include "analysis/TransformCommands.h"
#include "display/DisplayCommands.h"
#include "display/FormExportPlot.h"
#include "display/FormOption.h"
#include "display/FormPlot.h"
#include "files/FilesCommands.h"
#include "files/FormImport.h"
#include "fitting/FormGlobalFit.h"
#include "fitting/FittingCommands.h"
#include "setup/FormExpr.h"
#include "setup/FormMech.h"
#include "setup/FormTech.h"
#include "setup/SetupCommands.h"
#include "simulation/SimulationCommands.h"

namespace kemvo {

Workbench::Workbench(Platform &platform) : Application(platform) {
    createForms();
    installCommands();
    startUp();
}

void Workbench::createForms() {
    addForm(std::make_unique<FormTech>(*this));
    addForm(std::make_unique<FormMech>(*this));
    addForm(std::make_unique<FormExpr>(*this));
    addForm(std::make_unique<FormPlot>());
    addForm(std::make_unique<FormOption>(*this));
    addForm(std::make_unique<FormImport>(*this));
    addForm(std::make_unique<FormExportPlot>());
    addForm(std::make_unique<FormGlobalFit>(*this));
}

void Workbench::installCommands() {
    installSetupCommands(*this);
    installDisplayCommands(*this);
    installSimulationCommands(*this);
    installAnalysisCommands(*this);
    installAnalysisReports(*this);
    installFilesCommands(*this);
    installFittingCommands(*this);
    installGlobalFitCommands(*this);
}

// The start-up of the main window: the digital-simulation flag from its check box, the
// displayed quantity "current I".
void Workbench::startUp() {
    Application::startUp();
    state().digital = form<FormTech>().CheckDigital.checked() ? 1 : 0;
    form<FormOption>().ComboY.setListIndex(0);
}

} // namespace kemvo
