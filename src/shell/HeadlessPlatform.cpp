#include "shell/HeadlessPlatform.h"

#include "shell/RuntimeError.h"

#include <chrono>

namespace kemvo {

void RecordedMessages::show(const std::string &text) {
    shown.push_back(text);
    announced.send(text);
}

std::optional<std::string> ScriptedFileDialog::openFile(const std::string &filter) {
    return answer(filter);
}

std::optional<std::string> ScriptedFileDialog::saveFile(const std::string &filter) {
    return answer(filter);
}

std::optional<std::string> ScriptedFileDialog::answer(const std::string &filter) {
    lastFilter = filter;
    if (answers.empty())
        return std::nullopt;
    std::string name = answers.front();
    answers.pop_front();
    return name;
}

void RecordedClipboard::putBitmap(const Canvas &picture) {
    last = &picture;
    ++puts;
}

void NoPrinter::print(const Canvas &) {
    throw RuntimeError("No printer is installed");
}

double SystemClock::secondsSinceMidnight() {
    using namespace std::chrono;
    auto now = system_clock::now();
    auto midnight = floor<days>(now);
    return duration<double>(now - midnight).count();
}

HeadlessPlatform::HeadlessPlatform()
    : platform_(std::make_unique<Platform>(Platform{messages,
                                                    files,
                                                    clipboard,
                                                    printer,
                                                    clock,
                                                    progress,
                                                    [this] { quitRequested = true; },
                                                    {},
                                                    {}})) {}

} // namespace kemvo
