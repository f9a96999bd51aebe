#include "shell/qt/QtPlatform.h"

#include "shell/HeadlessPlatform.h"
#include "shell/RuntimeError.h"
#include "shell/qt/Bindings.h"
#include "shell/qt/QtProgress.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStringList>

namespace kemvo::qt {
namespace {

// "csv|*.csv|all|*.*" -> "csv (*.csv);;all (*.*)"; a description that already names its
// pattern, "parameter (*.par)", is kept as it is.
QString qtFilter(const std::string &filter) {
    QStringList parts = toQt(filter).split('|');
    QStringList choices;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        choices << (parts[i].contains('(') ? parts[i] : parts[i] + " (" + parts[i + 1] + ")");
    return choices.join(";;");
}

const ImageSource &imageOf(const Canvas &picture) {
    auto *source = dynamic_cast<const ImageSource *>(&picture);
    if (source == nullptr)
        throw RuntimeError("The plot has no picture");
    return *source;
}

class QtMessageBox : public MessageBox {
public:
    void show(const std::string &text) override {
        QMessageBox::warning(parent, "Kemvo", toQt(text), QMessageBox::Ok);
    }
    QPointer<QWidget> parent;
};

class QtFileDialog : public FileDialog {
public:
    std::optional<std::string> openFile(const std::string &filter) override {
        return answer(QFileDialog::getOpenFileName(parent, "Open", folder_, qtFilter(filter)));
    }
    std::optional<std::string> saveFile(const std::string &filter) override {
        return answer(QFileDialog::getSaveFileName(parent, "Save As", folder_, qtFilter(filter)));
    }
    QPointer<QWidget> parent;

private:
    // Each dialog starts in the folder the last one was left in.
    std::optional<std::string> answer(const QString &name) {
        if (name.isEmpty())
            return std::nullopt;
        folder_ = QFileInfo(name).absolutePath();
        return fromQt(name);
    }
    QString folder_;
};

class QtClipboard : public Clipboard {
public:
    void putBitmap(const Canvas &picture) override {
        QClipboard *clipboard = QApplication::clipboard();
        clipboard->clear();
        clipboard->setImage(imageOf(picture).image());
    }
};

class QtPrinter : public Printer {
public:
    void print(const Canvas &picture) override {
        if (QPrinterInfo::defaultPrinter().isNull())
            throw RuntimeError("No printer is installed");
        QImage image = imageOf(picture).image();
        QPrinter printer(QPrinterInfo::defaultPrinter());
        QPainter painter(&printer);
        if (!painter.isActive())
            throw RuntimeError("The printer could not be started");
        QRect page = painter.viewport();
        QSize size = image.size().scaled(page.size(), Qt::KeepAspectRatio);
        painter.drawImage(QRect(page.topLeft(), size), image);
    }
};

} // namespace

struct QtPlatform::Services {
    QtMessageBox messages;
    QtFileDialog files;
    QtClipboard clipboard;
    QtPrinter printer;
    SystemClock clock;
    QtProgress progress;
};

// Exit leaves the event loop at once. (quit() would first ask every window to close, and the
// tool windows refuse: they only hide.)
QtPlatform::QtPlatform()
    : services_(std::make_unique<Services>()),
      platform_(std::make_unique<Platform>(Platform{services_->messages,
                                                    services_->files,
                                                    services_->clipboard,
                                                    services_->printer,
                                                    services_->clock,
                                                    services_->progress,
                                                    [] { QApplication::exit(0); },
                                                    {},
                                                    {}})) {}

QtPlatform::~QtPlatform() = default;

void QtPlatform::setParentWindow(QWidget *window) {
    services_->messages.parent = window;
    services_->files.parent = window;
    services_->progress.parent = window;
}

} // namespace kemvo::qt
