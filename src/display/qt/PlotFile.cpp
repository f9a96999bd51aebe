#include "display/qt/PlotFile.h"

#include "display/qt/QtCanvas.h"
#include "files/FileReplacement.h"
#include "shell/RuntimeError.h"
#include "shell/qt/Bindings.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace kemvo::qt {
namespace {

class SvgCanvas : public QtCanvas {
public:
    SvgCanvas(QIODevice *output, QSize size) : QtCanvas(Qt::white, Qt::black) {
        generator_.setOutputDevice(output);
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
    PdfCanvas(QIODevice *device, QSize size) : QtCanvas(Qt::white, Qt::black), writer_(device) {
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

RuntimeError cannotWrite(const std::string &fileName, const std::string &reason) {
    return RuntimeError("Cannot write " + fileName + ": " + reason);
}

// The picture written by a canvas that paints into a device: SVG or PDF.
template <typename DeviceCanvas> QByteArray writtenBy(const RecordingCanvas &picture, QSize size) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        DeviceCanvas canvas(&buffer, size);
        canvas.clear();
        picture.replay(canvas);
    }
    return bytes;
}

QByteArray pngOf(const RecordingCanvas &picture, QSize size) {
    ImageCanvas canvas(size);
    picture.replay(canvas);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    canvas.image().save(&buffer, "PNG");
    return bytes;
}

} // namespace

void writePicture(const RecordingCanvas &picture, const std::string &fileName, QSize size) {
    const QString suffix = QFileInfo(toQt(fileName)).suffix().toLower();
    if (suffix != "svg" && suffix != "png" && suffix != "pdf")
        throw cannotWrite(fileName, "a picture is written only as .png, .svg or .pdf");
    QByteArray bytes = suffix == "svg"   ? writtenBy<SvgCanvas>(picture, size)
                       : suffix == "pdf" ? writtenBy<PdfCanvas>(picture, size)
                                         : pngOf(picture, size);
    if (bytes.isEmpty())
        throw cannotWrite(fileName, "the picture could not be painted");
    try {
        replaceFile(fileName, std::string_view(bytes.constData(), bytes.size()));
    } catch (const RuntimeError &error) {
        throw cannotWrite(fileName, error.what());
    }
}

void writePictureFile(const std::string &fileName, const std::function<void(Canvas &)> &paint) {
    RecordingCanvas picture;
    paint(picture);
    writePicture(picture, fileName, kPictureFileSize);
}

} // namespace kemvo::qt
