#pragma once
// The main window MDIForm1: its title and the whole menu tree, each entry named as the
// handlers that serve it (mnuSimulate -> mnuSimulate_Click).

#include "shell/controls/Form.h"

#include <string>
#include <vector>

namespace kemvo {

class MainWindowModel : public Form {
public:
    MainWindowModel();

    // The menu titles in bar order; their entries hang below them.
    const std::vector<MenuEntry *> &menuBar() const { return menuBar_; }
    MenuEntry &menu(const std::string &name) const;

    // Display and Analysis start disabled; the first Simulate or Import enables them.
    void enableDisplayAndAnalysis();

private:
    MenuEntry &title(const std::string &name, const std::string &caption);
    MenuEntry &entry(MenuEntry &parent, const std::string &name, const std::string &caption);
    std::vector<MenuEntry *> menuBar_;
};

} // namespace kemvo
