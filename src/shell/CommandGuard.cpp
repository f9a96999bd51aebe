#include "shell/CommandGuard.h"

#include "shell/RuntimeError.h"

namespace kemvo {

bool runTrapped(Application &app, const std::string &prefix, const std::string &tail,
                const std::function<void()> &work) {
    try {
        work();
        return true;
    } catch (const RuntimeError &error) {
        app.showMessage(prefix + error.what() + tail);
    } catch (const std::bad_alloc &) {
        app.showMessage(prefix + "Out of memory" + tail);
    }
    return false;
}

void runUserAction(Application &app, const std::function<void()> &action) {
    try {
        action();
    } catch (const std::exception &error) {
        app.showMessage(error.what());
    }
}

} // namespace kemvo
