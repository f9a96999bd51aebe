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

#include <cmath>

namespace kemvo::qt {
namespace {

// Logical pixels of a picture file to the inch: text and lines are sized in them.
constexpr double kLogicalDpi = 96;

QSizeF logicalSize(const PictureSize &size) {
    return QSizeF(size.widthPx, size.heightPx) * (kLogicalDpi / size.dpi);
}

class SvgCanvas : public QtCanvas {
public:
    SvgCanvas(QIODevice *output, const PictureSize &size) : QtCanvas(Qt::white, Qt::black) {
        const QSizeF logical = logicalSize(size);
        generator_.setOutputDevice(output);
        generator_.setResolution(static_cast<int>(kLogicalDpi));
        generator_.setSize(logical.toSize());
        generator_.setViewBox(QRectF(QPointF(0, 0), logical));
        generator_.setTitle("Plot");
        setPrinted(true);
        attach(&generator_, logical);
    }
    ~SvgCanvas() override { finish(); }
    SvgCanvas(const SvgCanvas &) = delete;
    SvgCanvas &operator=(const SvgCanvas &) = delete;

private:
    QSvgGenerator generator_;
};

// One page exactly the picture's size.
class PdfCanvas : public QtCanvas {
public:
    PdfCanvas(QIODevice *device, const PictureSize &size)
        : QtCanvas(Qt::white, Qt::black), writer_(device) {
        const QSizeF logical = logicalSize(size);
        writer_.setResolution(static_cast<int>(kLogicalDpi));
        writer_.setPageSize(QPageSize(logical * (72 / kLogicalDpi), QPageSize::Point, QString(),
                                      QPageSize::ExactMatch));
        writer_.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer_.setTitle("Plot");
        writer_.setCreator("Kemvo");
        setPrinted(true);
        attach(&writer_, logical);
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
template <typename DeviceCanvas>
QByteArray writtenBy(const PictureSize &size, const std::function<void(Canvas &)> &paint) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        DeviceCanvas canvas(&buffer, size);
        canvas.clear();
        paint(canvas);
    }
    return bytes;
}

QByteArray pngOf(const PictureSize &size, const std::function<void(Canvas &)> &paint) {
    auto canvas = ImageCanvas::ofPixels(QSize(size.widthPx, size.heightPx), size.dpi / kLogicalDpi);
    paint(*canvas);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    canvas->image().save(&buffer, "PNG");
    return bytes;
}

} // namespace

void writePictureFile(const std::string &fileName, const PictureSize &size,
                      const std::function<void(Canvas &)> &paint) {
    const QString suffix = QFileInfo(toQt(fileName)).suffix().toLower();
    if (suffix != "svg" && suffix != "png" && suffix != "pdf")
        throw cannotWrite(fileName, "a picture is written only as .png, .svg or .pdf");
    QByteArray bytes = suffix == "svg"   ? writtenBy<SvgCanvas>(size, paint)
                       : suffix == "pdf" ? writtenBy<PdfCanvas>(size, paint)
                                         : pngOf(size, paint);
    if (bytes.isEmpty())
        throw cannotWrite(fileName, "the picture could not be painted");
    try {
        replaceFile(fileName, std::string_view(bytes.constData(), bytes.size()));
    } catch (const RuntimeError &error) {
        throw cannotWrite(fileName, error.what());
    }
}

void writePicture(const RecordingCanvas &picture, const std::string &fileName) {
    const PictureSize size{static_cast<int>(std::lround(picture.width())),
                           static_cast<int>(std::lround(picture.height())), kLogicalDpi};
    writePictureFile(fileName, size, [&](Canvas &file) { picture.replay(file); });
}

} // namespace kemvo::qt
