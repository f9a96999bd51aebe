#include "shell/ScriptRunner.h"

#include "shell/CommandGuard.h"
#include "shell/StateFields.h"

#include <algorithm>
#include <ostream>
#include <regex>
#include <set>
#include <sstream>

namespace kemvo {
namespace {

// Menu entries whose command opens a file dialog; their value answers it.
const std::set<std::string> kFileMenus = {"mnuSave", "mnuImport", "mnuExport", "mnuExportAll",
                                          "mnuExportPlot"};

std::string kindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::TextBox:
        return "text box";
    case ControlKind::Label:
        return "label";
    case ControlKind::CheckBox:
        return "check box";
    case ControlKind::OptionButton:
        return "option button";
    case ControlKind::ComboBox:
        return "combo box";
    case ControlKind::ListBox:
        return "list box";
    case ControlKind::Frame:
        return "frame";
    case ControlKind::Button:
        return "button";
    case ControlKind::Menu:
        return "menu entry";
    }
    return "control";
}

// A list entry given by its number from 1, as the list shows it; 0 when the text is none.
int entryNumber(const std::string &text, std::size_t entries) {
    static const std::regex digits(R"(\d{1,6})");
    if (!std::regex_match(text, digits))
        return 0;
    int number = std::stoi(text);
    return number >= 1 && static_cast<std::size_t>(number) <= entries ? number : 0;
}

} // namespace

ScriptRunner::ScriptRunner(Application &app, HeadlessPlatform &platform, std::ostream &out,
                           std::ostream &err)
    : app_(app), platform_(platform), out_(out), err_(err) {
    auto echo = [this](const std::string &line) { out_ << line << '\n' << std::flush; };
    app_.formResult().printed.connect(echo);
    app_.formAbout().printed.connect(echo);
    platform_.messages.announced.connect([this](const std::string &text) {
        err_ << "message: " << text << '\n' << std::flush;
    });
}

int ScriptRunner::run(const std::vector<std::string> &steps) {
    for (const std::string &step : steps) {
        try {
            runStep(step);
        } catch (const Refusal &refusal) {
            err_ << "refused: " << step << ": " << refusal.reason << '\n';
            return kRefused;
        }
        if (platform_.progress.interrupted()) {
            err_ << "stopped by Ctrl+C during " << step << "; the steps after it were not run\n";
            return kInterrupted;
        }
        if (platform_.quitRequested)
            break;
    }
    closeModalWindows(nullptr);
    return platform_.messages.shown.empty() ? kClean : kMessageShown;
}

void ScriptRunner::closeModalWindows(const Control *target) {
    for (Form *form : app_.forms()) {
        bool inside = target != nullptr && form->find(target->name(), target->index()) == target;
        if (form->modal() && form->visible() && !inside)
            runUserAction(app_, [form] { form->hide(); });
    }
}

void ScriptRunner::runStep(const std::string &step) {
    if (step == "--help" || step == "-h") {
        out_ << help();
        return;
    }
    std::size_t equals = step.find('=');
    if (equals == std::string::npos) {
        clickControl(step);
        return;
    }
    std::string name = step.substr(0, equals);
    std::string value = step.substr(equals + 1);
    if (name == "show") {
        show(value);
    } else if (name == "plot") {
        closeModalWindows(nullptr);
        if (!plotWriter)
            throw Refusal{"this program cannot draw"};
        runTrapped(app_, "Plot Error: ", "", [&] { plotWriter(value); });
    } else if (auto writer = pictureWriters.find(name); writer != pictureWriters.end()) {
        closeModalWindows(nullptr);
        runTrapped(app_, "Plot Error: ", "", [&] { writer->second(value); });
    } else {
        setControl(name, value);
    }
}

Control &ScriptRunner::resolve(const std::string &qualifiedName) const {
    static const std::regex pattern(R"((?:([A-Za-z_]\w*)\.)?([A-Za-z_]\w*)(?:\((\d+)\))?)");
    std::smatch match;
    if (!std::regex_match(qualifiedName, match, pattern))
        throw Refusal{"not a control name"};
    std::string formName = match[1].str();
    std::string name = match[2].str();
    int index = -1;
    if (match[3].matched) {
        try {
            index = std::stoi(match[3].str());
        } catch (const std::exception &) {
            throw Refusal{"index out of range"};
        }
    }

    std::vector<std::pair<Form *, Control *>> found;
    for (Form *form : app_.forms()) {
        if (!formName.empty() && form->name() != formName)
            continue;
        if (Control *control = form->find(name, index))
            found.emplace_back(form, control);
    }
    if (found.empty())
        throw Refusal{"no such control (see --help)"};
    if (found.size() > 1) {
        std::string windows;
        for (const auto &[form, control] : found)
            windows += " " + form->name() + "." + qualifiedName;
        throw Refusal{"ambiguous, name the window:" + windows};
    }
    found.front().first->load();
    return *found.front().second;
}

void ScriptRunner::requireReachable(const Control &control) const {
    for (Form *form : app_.forms())
        if (form->modal() && !form->visible() &&
            form->find(control.name(), control.index()) == &control)
            throw Refusal{form->name() + " is not open"};
    if (!control.reachable())
        throw Refusal{kindName(control.kind()) + " is hidden or disabled"};
}

void ScriptRunner::setControl(const std::string &name, const std::string &value) {
    Control &control = resolve(name);
    closeModalWindows(&control);
    requireReachable(control);
    switch (control.kind()) {
    case ControlKind::TextBox: {
        auto &box = static_cast<TextBox &>(control);
        if (box.locked())
            throw Refusal{"text box is locked"};
        runUserAction(app_, [&] { box.setText(value); });
        return;
    }
    case ControlKind::CheckBox:
        if (value != "0" && value != "1")
            throw Refusal{"a check box takes 0 or 1"};
        runUserAction(app_, [&] { static_cast<CheckBox &>(control).setValue(value == "1"); });
        return;
    case ControlKind::OptionButton:
        if (value != "1")
            throw Refusal{"an option button can only be selected (=1)"};
        runUserAction(app_, [&] { static_cast<OptionButton &>(control).select(); });
        return;
    case ControlKind::ListBox:
    case ControlKind::ComboBox: {
        auto &combo = static_cast<ComboBox &>(control);
        const auto &items = combo.items();
        if (control.kind() == ControlKind::ListBox &&
            std::find(items.begin(), items.end(), value) == items.end()) {
            int number = entryNumber(value, items.size());
            if (number == 0)
                throw Refusal{"not an entry of the list"};
            runUserAction(app_, [&] { combo.setListIndex(number - 1); });
            return;
        }
        runUserAction(app_, [&] { combo.setText(value); });
        return;
    }
    case ControlKind::Menu:
        if (kFileMenus.count(control.name()) == 0)
            throw Refusal{"this menu entry takes no value"};
        platform_.files.answers.push_back(value);
        runUserAction(app_, [&] { static_cast<MenuEntry &>(control).click(); });
        platform_.files.answers.clear();
        return;
    default:
        throw Refusal{"a " + kindName(control.kind()) + " cannot be set"};
    }
}

void ScriptRunner::clickControl(const std::string &name) {
    Control &control = resolve(name);
    closeModalWindows(&control);
    requireReachable(control);
    switch (control.kind()) {
    case ControlKind::Menu: {
        auto &entry = static_cast<MenuEntry &>(control);
        if (entry.isSeparator() || !entry.children().empty())
            throw Refusal{"not a command"};
        runUserAction(app_, [&] { entry.click(); });
        return;
    }
    case ControlKind::Button:
        runUserAction(app_, [&] { static_cast<Button &>(control).click(); });
        return;
    case ControlKind::OptionButton:
        runUserAction(app_, [&] { static_cast<OptionButton &>(control).select(); });
        return;
    case ControlKind::CheckBox:
        runUserAction(app_, [&] { static_cast<CheckBox &>(control).click(); });
        return;
    default:
        throw Refusal{"a " + kindName(control.kind()) + " cannot be clicked"};
    }
}

void ScriptRunner::show(const std::string &name) {
    if (name.rfind("state.", 0) == 0) {
        closeModalWindows(nullptr);
        auto value = stateFieldValue(app_, name.substr(6));
        if (!value)
            throw Refusal{"no such state field or index (see --help)"};
        out_ << name << '=' << *value << '\n' << std::flush;
        return;
    }
    Control &control = resolve(name);
    closeModalWindows(&control);
    out_ << name << '=' << control.displayValue() << '\n' << std::flush;
}

std::string ScriptRunner::help() const {
    std::ostringstream text;
    text << "Usage: kemvo-cli STEP...\n"
            "       kemvo-cli --batch RESULTS.csv [--curves=cycles] FILE... -- STEP...\n"
            "Runs the steps in order, as a user acts in the windows. With --batch, each\n"
            "FILE is imported (its \"all\" entry, or each cycle on a row of its own), the\n"
            "steps run, and RESULTS.csv gets one row per file and curve.\n"
            "  NAME=VALUE   type a text, set a check box (0/1), select an option (=1),\n"
            "               choose a combo entry or a list entry (its text or number),\n"
            "               or answer a menu's file dialog\n"
            "               (mnuSave=FILE, mnuImport=FILE, mnuExport=FILE,\n"
            "               mnuExportAll=FILE.csv, mnuExportPlot=FILE.png|.svg|.pdf,\n"
            "               its size typed before: PlotWidthMm=160 PlotHeightMm=100\n"
            "               PlotDpi=300, or PlotWidthPx=900 PlotHeightPx=600)\n"
            "  NAME         click a menu entry, button, option button or check box\n"
            "  show=NAME    print NAME=VALUE of a control or of state.FIELD\n"
            "  plot=FILE    write the plot window's picture, 900 x 600 px (.png, .svg or .pdf)\n"
            "  globalplot=FILE  write the Global Fit window's plot of its last fit\n"
            "NAME may carry its window (FormExpr.OK) and an array index (ks(1)).\n"
            "A step outside a modal window (FormImport) cancels it, as does the end.\n"
            "Ctrl+C stops the running command as its Stop button does and ends the run.\n"
            "Exit status: 0, 1 when a message box was shown, 2 when a step was refused,\n"
            "130 after Ctrl+C.\n\n"
            "Windows and their controls:\n";
    for (Form *form : app_.forms()) {
        text << form->name() << " \"" << form->caption() << "\"\n ";
        std::size_t column = 1;
        for (Control *control : form->controls()) {
            std::string item(1, ' ');
            item += control->qualifiedName();
            if (column + item.size() > 78) {
                text << "\n ";
                column = 1;
            }
            text << item;
            column += item.size();
        }
        text << '\n';
    }
    text << "\nState fields (show=state.NAME):\n ";
    std::size_t column = 1;
    for (const std::string &field : stateFieldNames()) {
        if (column + field.size() + 1 > 78) {
            text << "\n ";
            column = 1;
        }
        text << ' ' << field;
        column += field.size() + 1;
    }
    text << '\n';
    return text.str();
}

} // namespace kemvo
