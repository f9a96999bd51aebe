#pragma once
// Which widget shows which window model. Each subsystem registers the views of its windows;
// the main window creates a view the first time its model is shown.

#include "shell/Application.h"

#include <QWidget>

#include <functional>
#include <map>
#include <string>

namespace kemvo::qt {

enum class Placement {
    MdiChild,   // a child window inside the main window (plot, results)
    ToolWindow, // a free-standing modeless window (choosers, parameters, options)
    Dialog,     // a window shown modally by Platform::runDialog (the size of Export Plot)
};

struct ViewEntry {
    Placement placement = Placement::MdiChild;
    std::function<QWidget *(Application &, Form &)> create;
};

class ViewRegistry {
public:
    void add(const std::string &formName, ViewEntry entry) {
        entries_[formName] = std::move(entry);
    }
    const ViewEntry *find(const std::string &formName) const {
        auto found = entries_.find(formName);
        return found == entries_.end() ? nullptr : &found->second;
    }

private:
    std::map<std::string, ViewEntry> entries_;
};

// The result and about windows.
void registerShellViews(ViewRegistry &views);

} // namespace kemvo::qt
