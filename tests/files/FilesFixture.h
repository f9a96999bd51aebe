#pragma once
// A fresh workbench with headless services and a temporary folder, for the File menu's tests.

#include "app/Workbench.h"
#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace kemvo {

namespace fs = std::filesystem;

class TemporaryFolder {
public:
    TemporaryFolder() { fs::create_directories(path_); }
    ~TemporaryFolder() { fs::remove_all(path_); }
    std::string file(const std::string &name) const { return (path_ / name).string(); }
    std::string withText(const std::string &name, const std::string &text) const {
        std::ofstream(file(name), std::ios::binary) << text;
        return file(name);
    }
    std::string contentOf(const std::string &name) const {
        std::ifstream in(file(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // Every file in the folder, to see that no temporary file is left behind.
    std::vector<std::string> names() const {
        std::vector<std::string> found;
        for (const auto &entry : fs::directory_iterator(path_))
            found.push_back(entry.path().filename().string());
        std::sort(found.begin(), found.end());
        return found;
    }

private:
    static inline int counter_ = 0;
    fs::path path_ = fs::temp_directory_path() / ("kemvo-files-" + std::to_string(::getpid()) +
                                                  "-" + std::to_string(counter_++));
};

class FileCommands : public testing::Test {
protected:
    void click(const std::string &menu, const std::string &answer) {
        headless.files.answers.push_back(answer);
        app.mainWindow().menu(menu).click();
    }
    // Three points of curve 2, as an import or a simulation leaves them.
    void holdThreePoints() {
        app.state().firstPoint = 1;
        app.state().lastPoint = 3;
        app.state().currentCurve = 2;
        for (int i = 1; i <= 3; ++i) {
            app.store().potential(i) = -0.1 * i;
            app.store().curves(i, 2) = 1e-6 * i;
        }
    }
    bool displayEnabled() { return app.mainWindow().menu("mnuDisplay").enabled(); }
    const std::vector<std::string> &messages() const { return headless.messages.shown; }

    HeadlessPlatform headless;
    Workbench app{headless.platform()};
    TemporaryFolder folder;
};

} // namespace kemvo
