#pragma once
// Platform services without a display, for kemvo-cli and the tests: messages are recorded
// and announced, file dialogs answer with names given in advance, there is no printer.

#include "shell/Platform.h"
#include "shell/controls/Signal.h"

#include <csignal>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace kemvo {

class RecordedMessages : public MessageBox {
public:
    void show(const std::string &text) override;
    std::vector<std::string> shown;
    Signal<const std::string &> announced;
};

class ScriptedFileDialog : public FileDialog {
public:
    std::optional<std::string> openFile(const std::string &filter) override;
    std::optional<std::string> saveFile(const std::string &filter) override;
    std::deque<std::string> answers; // the next dialog takes the front; none left = cancelled
    std::string lastFilter;

private:
    std::optional<std::string> answer(const std::string &filter);
};

class RecordedClipboard : public Clipboard {
public:
    void putBitmap(const Canvas &picture) override;
    const Canvas *last = nullptr;
    int puts = 0;
};

class NoPrinter : public Printer {
public:
    void print(const Canvas &picture) override;
};

class SystemClock : public Clock {
public:
    double secondsSinceMidnight() override;
};

// No display of progress; a test may ask to stop at the n-th poll or once the work has come to
// a fraction, and kemvo-cli asks to stop when the user presses Ctrl+C.
class ScriptedProgress : public Progress {
public:
    void begin(const std::string &) override { ++runs; }
    bool advance(double fraction) override {
        return ++polls == stopAtPoll || fraction >= stopAtFraction || interrupted();
    }
    void end() override {}
    // Set (from a signal handler) when the user asked the program to stop.
    bool interrupted() const { return interrupt != nullptr && *interrupt != 0; }
    int runs = 0;
    int polls = 0;
    int stopAtPoll = -1;       // never
    double stopAtFraction = 2; // never
    const volatile std::sig_atomic_t *interrupt = nullptr;
};

// Owns one of each headless service and the Platform that refers to them.
class HeadlessPlatform {
public:
    HeadlessPlatform();
    Platform &platform() { return *platform_; }

    RecordedMessages messages;
    ScriptedFileDialog files;
    RecordedClipboard clipboard;
    NoPrinter printer;
    SystemClock clock;
    ScriptedProgress progress;
    bool quitRequested = false;

private:
    std::unique_ptr<Platform> platform_;
};

} // namespace kemvo
