#pragma once
// The workbench driven as a user drives it: steps as kemvo-cli takes them, the result window's
// lines and the messages shown.

#include "app/Workbench.h"
#include "shell/HeadlessPlatform.h"
#include "shell/ScriptRunner.h"

#include <sstream>
#include <string>
#include <vector>

namespace kemvo {

struct Session {
    HeadlessPlatform platform;
    Workbench app{platform.platform()};
    std::ostringstream out, err;

    int run(const std::vector<std::string> &steps) {
        ScriptRunner runner(app, platform, out, err);
        return runner.run(steps);
    }
    const std::vector<std::string> &lines() { return app.formResult().lines(); }
    const std::vector<std::string> &messages() const { return platform.messages.shown; }
};

} // namespace kemvo
