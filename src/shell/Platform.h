#pragma once
// The services of the platform that the core calls: message boxes, file dialogs, the
// clipboard, the printer, the clock and the progress of long commands. The workbench supplies Qt
// implementations, kemvo-cli and the tests headless ones.

#include "shell/Progress.h"

#include <functional>
#include <optional>
#include <string>

namespace kemvo {

class Canvas;
class Form;

// The size of a picture file: its pixels, and the resolution that gives them a size on paper.
// Text and lines are sized for 96 logical pixels to the inch, so a picture in millimetres
// looks the same at any resolution.
struct PictureSize {
    int widthPx = 900;
    int heightPx = 600;
    double dpi = 96; // [pixels per inch]
};

class MessageBox {
public:
    virtual ~MessageBox() = default;
    // A message with an OK button; returns when the user has dismissed it.
    virtual void show(const std::string &text) = 0;
};

class FileDialog {
public:
    virtual ~FileDialog() = default;
    // filter lists description|pattern pairs, e.g. "csv|*.csv|all|*.*".
    // An empty result means the user cancelled.
    virtual std::optional<std::string> openFile(const std::string &filter) = 0;
    virtual std::optional<std::string> saveFile(const std::string &filter) = 0;
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Empties the clipboard and puts the picture of the canvas on it as a bitmap.
    virtual void putBitmap(const Canvas &picture) = 0;
};

class Printer {
public:
    virtual ~Printer() = default;
    // Prints the picture on the default printer; raises RuntimeError when none is installed.
    virtual void print(const Canvas &picture) = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual double secondsSinceMidnight() = 0;
};

struct Platform {
    MessageBox &messages;
    FileDialog &files;
    Clipboard &clipboard;
    Printer &printer;
    Clock &clock;
    Progress &progress;
    std::function<void()> quit; // ends the application at once
    // Writes a picture file of that size in the format its suffix names (".png", ".svg",
    // ".pdf"): `paint` draws the picture on the canvas of the file. Raises RuntimeError when
    // the file cannot be written. Left empty where no picture files can be made.
    std::function<void(const std::string &fileName, const PictureSize &size,
                       const std::function<void(Canvas &)> &paint)>
        writePicture;
    // Shows a window as a modal dialog and returns when it is hidden again. Left empty where
    // no windows are shown: the window's controls are then taken as they stand.
    std::function<void(Form &)> runDialog;
};

} // namespace kemvo
