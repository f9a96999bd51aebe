#pragma once
// Each command traps a run-time error once for the whole of its work and shows its
// prescribed message: prefix + the error's description + tail.

#include "shell/Application.h"

#include <functional>
#include <string>

namespace kemvo {

// Returns true when the work ended without an error.
bool runTrapped(Application &app, const std::string &prefix, const std::string &tail,
                const std::function<void()> &work);

// Delivers one user action (a typed text, a click) to the window models. An error that no
// command trapped is shown as a message, so that nothing escapes to the event loop.
void runUserAction(Application &app, const std::function<void()> &action);

} // namespace kemvo
