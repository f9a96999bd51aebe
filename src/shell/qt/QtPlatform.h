#pragma once
// The platform services of the workbench: Qt message boxes, file dialogs, the system
// clipboard, the default printer and the progress box of long commands.

#include "shell/Canvas.h"
#include "shell/Platform.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <memory>

namespace kemvo::qt {

// A canvas that can hand over its picture as an image (the Qt canvas of the plot).
class ImageSource {
public:
    virtual ~ImageSource() = default;
    virtual QImage image() const = 0;
};

class QtPlatform {
public:
    QtPlatform();
    ~QtPlatform();
    Platform &platform() { return *platform_; }
    // The window that message boxes and dialogs belong to.
    void setParentWindow(QWidget *window);

private:
    struct Services;
    std::unique_ptr<Services> services_;
    std::unique_ptr<Platform> platform_;
};

} // namespace kemvo::qt
