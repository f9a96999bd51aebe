#include "display/qt/PlotFile.h"

#include "display/qt/QtCanvas.h"
#include "shell/RuntimeError.h"
#include "shell/qt/Bindings.h"

#include <QFileInfo>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace kemvo::qt {
namespace {

class SvgCanvas : public QtCanvas {
public:
    SvgCanvas(const QString &fileName, QSize size) : QtCanvas(Qt::white, Qt::black) {
        generator_.setFileName(fileName);
        generator_.setSize(size);
        generator_.setViewBox(QRect(QPoint(0, 0), size));
        generator_.setTitle("Plot");
        attach(&generator_, size);
    }
    ~SvgCanvas() override { finish(); }
    SvgCanvas(const SvgCanvas &) = delete;
    SvgCanvas &operator=(const SvgCanvas &) = delete;

private:
    QSvgGenerator generator_;
};

// One page exactly the picture's size, one logical pixel to the point.
class PdfCanvas : public QtCanvas {
public:
    PdfCanvas(const QString &fileName, QSize size)
        : QtCanvas(Qt::white, Qt::black), writer_(fileName) {
        writer_.setResolution(72);
        writer_.setPageSize(
            QPageSize(QSizeF(size), QPageSize::Point, QString(), QPageSize::ExactMatch));
        writer_.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer_.setTitle("Plot");
        writer_.setCreator("Kemvo");
        attach(&writer_, size);
    }
    ~PdfCanvas() override { finish(); }
    PdfCanvas(const PdfCanvas &) = delete;
    PdfCanvas &operator=(const PdfCanvas &) = delete;

private:
    QPdfWriter writer_;
};

bool hasSuffix(const QString &name, const char *suffix) {
    return QFileInfo(name).suffix().compare(suffix, Qt::CaseInsensitive) == 0;
}

RuntimeError cannotWrite(const std::string &fileName) {
    return RuntimeError("Cannot write " + fileName);
}

} // namespace

void writePicture(const RecordingCanvas &picture, const std::string &fileName, QSize size) {
    QString name = toQt(fileName);
    if (hasSuffix(name, "svg") || hasSuffix(name, "pdf")) {
        if (hasSuffix(name, "svg")) {
            SvgCanvas canvas(name, size);
            canvas.clear();
            picture.replay(canvas);
        } else {
            PdfCanvas canvas(name, size);
            canvas.clear();
            picture.replay(canvas);
        }
        QFileInfo written(name);
        if (!written.exists() || written.size() == 0)
            throw cannotWrite(fileName);
        return;
    }
    ImageCanvas canvas(size);
    picture.replay(canvas);
    if (!canvas.image().save(name))
        throw cannotWrite(fileName);
}

void writePictureFile(const std::string &fileName, const std::function<void(Canvas &)> &paint) {
    RecordingCanvas picture;
    paint(picture);
    writePicture(picture, fileName, kPictureFileSize);
}

} // namespace kemvo::qt
