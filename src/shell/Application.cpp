#include "shell/Application.h"

#include "analysis/TransformCommands.h"
#include "setup/FormExpr.h"
#include "setup/FormMech.h"
#include "setup/FormTech.h"
#include "setup/SetupCommands.h"
#include "display/DisplayCommands.h"
#include "display/FormOption.h"
#include "display/FormPlot.h"
#include "files/FilesCommands.h"
#include "shell/ShellCommands.h"
#include "simulation/SimulationCommands.h"

namespace kemvo {

Application::Application(Platform &platform)
    : platform_(platform), store_(std::make_unique<CurveStore>()),
      mainWindow_(std::make_unique<MainWindowModel>()) {
    createForms();
    installCommands();
    startUp();
}

Application::~Application() = default;

void Application::createForms() {
    forms_.push_back(std::make_unique<ResultWindow>());
    forms_.push_back(std::make_unique<AboutWindow>());
    forms_.push_back(std::make_unique<FormTech>(*this));
    forms_.push_back(std::make_unique<FormMech>(*this));
    forms_.push_back(std::make_unique<FormExpr>(*this));
    forms_.push_back(std::make_unique<FormPlot>());
    forms_.push_back(std::make_unique<FormOption>(*this));
}

void Application::installCommands() {
    installShellCommands(*this);
    installSetupCommands(*this);
    installDisplayCommands(*this);
    installSimulationCommands(*this);
    installAnalysisCommands(*this);
    installFilesCommands(*this);
}

void Application::startUp() {
    mainWindow_->load();
    state_.digital = form<FormTech>().CheckDigital.checked() ? 1 : 0;
    state_.electrode = 1;
    form<FormOption>().ComboY.setListIndex(0);
    for (int r = 1; r <= 3; ++r) {
        state_.electrons[r] = 1;
        state_.stoich[r] = 1;
    }
}

std::vector<Form *> Application::forms() const {
    std::vector<Form *> all{mainWindow_.get()};
    for (const auto &form : forms_)
        all.push_back(form.get());
    return all;
}

Form *Application::findForm(const std::string &name) const {
    for (Form *form : forms())
        if (form->name() == name)
            return form;
    return nullptr;
}

void Application::refreshPlot() const {
    if (deriveDisplayedQuantityHook)
        deriveDisplayedQuantityHook();
    if (drawPlotHook)
        drawPlotHook();
}

} // namespace kemvo
