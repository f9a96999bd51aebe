#include "display/qt/PlotFile.h"

#include "display/qt/QtCanvas.h"
#include "shell/RuntimeError.h"
#include "shell/qt/Bindings.h"

#include <QFileInfo>
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

RuntimeError cannotWrite(const std::string &fileName) {
    return RuntimeError("Cannot write " + fileName);
}

} // namespace

void writePicture(const RecordingCanvas &picture, const std::string &fileName, QSize size) {
    QString name = toQt(fileName);
    if (QFileInfo(name).suffix().compare("svg", Qt::CaseInsensitive) == 0) {
        {
            SvgCanvas canvas(name, size);
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

} // namespace kemvo::qt
