#include "shell/Application.h"

#include "shell/ShellCommands.h"

namespace kemvo {

Application::Application(Platform &platform)
    : platform_(platform), store_(std::make_unique<CurveStore>()),
      mainWindow_(std::make_unique<MainWindowModel>()) {
    forms_.push_back(std::make_unique<ResultWindow>());
    forms_.push_back(std::make_unique<AboutWindow>());
    forms_.push_back(std::make_unique<HelpWindow>());
    installShellCommands(*this);
}

Application::~Application() = default;

CurveStore &Application::scratchStore() {
    if (!scratch_)
        scratch_ = std::make_unique<CurveStore>();
    return *scratch_;
}

void Application::addForm(std::unique_ptr<Form> form) {
    forms_.push_back(std::move(form));
}

void Application::startUp() {
    mainWindow_->load();
    state_.electrode = 1;
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
