#pragma once
// kemvo-cli: runs steps against the window models as a user acts in the windows.
//   NAME=VALUE   type into a text box, set a check box (0/1), select an option (=1), choose a
//                combo entry or a list entry (by its text or its number from 1), or answer
//                the file dialog of a menu entry (mnuSave=FILE)
//   NAME         click a menu entry, button, option button or check box
//   show=NAME    print NAME=VALUE of a control or of a state field (state.pointCount)
//   plot=FILE    write the plot picture
//   globalplot=FILE  write the Global Fit window's plot
// NAME may carry its window (FormExpr.OK) and a control-array index (ks(1)). A step outside an
// open modal window (FormImport) cancels that window first, and so does the end of the run.

#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"

#include <functional>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

namespace kemvo {

class ScriptRunner {
public:
    // Exit statuses: 0 clean, 1 a message box was shown, 2 a step was refused, 130 (the
    // shells' status of SIGINT) the user pressed Ctrl+C: the running command stopped as its
    // Stop button stops it, and the steps after it were not run.
    static constexpr int kClean = 0;
    static constexpr int kMessageShown = 1;
    static constexpr int kRefused = 2;
    static constexpr int kInterrupted = 130;

    ScriptRunner(Application &app, HeadlessPlatform &platform, std::ostream &out,
                 std::ostream &err);
    int run(const std::vector<std::string> &steps);
    std::string help() const;

    // Writes the plot picture to a file; raises RuntimeError when it cannot.
    std::function<void(const std::string &file)> plotWriter;
    // Further pictures written by a step NAME=FILE (globalplot=FILE); each raises RuntimeError
    // when it cannot write.
    std::map<std::string, std::function<void(const std::string &file)>> pictureWriters;

private:
    struct Refusal {
        std::string reason;
    };
    void runStep(const std::string &step);
    // Cancels every open modal window that does not hold the target (none: all of them).
    void closeModalWindows(const Control *target);
    void setControl(const std::string &name, const std::string &value);
    void clickControl(const std::string &name);
    void show(const std::string &name);
    Control &resolve(const std::string &qualifiedName) const;
    void requireReachable(const Control &control) const;

    Application &app_;
    HeadlessPlatform &platform_;
    std::ostream &out_;
    std::ostream &err_;
};

} // namespace kemvo
