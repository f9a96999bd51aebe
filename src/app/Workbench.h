#pragma once
// The whole workbench: the shell's application with every subsystem's windows and commands.
// It sits above the subsystems, so that the shell underneath them includes none.

#include "shell/Application.h"

namespace kemvo {

class Workbench : public Application {
public:
    explicit Workbench(Platform &platform);

private:
    void createForms();
    void installCommands();
    void startUp();
};

} // namespace kemvo
