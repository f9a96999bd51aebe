#pragma once
// The plot's canvas on a Qt paint device: user coordinates mapped to logical pixels,
// antialiased strokes, fonts sized to the surface, the palette of Canvas.h. Runs of points,
// segments or rectangles are painted together, which keeps a redraw of thousands of points
// fast.

#include "shell/Canvas.h"
#include "shell/qt/QtPlatform.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QVector>

#include <functional>
#include <memory>

namespace kemvo::qt {

class QtCanvas : public Canvas {
public:
    QtCanvas(QColor background, QColor foreground);
    ~QtCanvas() override;
    QtCanvas(const QtCanvas &) = delete;
    QtCanvas &operator=(const QtCanvas &) = delete;

    void scale(double left, double top, double right, double bottom) override;
    void clear() override;
    void point(double x, double y) override;
    void line(double x1, double y1, double x2, double y2) override;
    void lineTo(double x, double y) override;
    void rectangle(double x1, double y1, double x2, double y2) override;
    void marker(double x, double y, Marker shape, bool filled) override;
    void setDash(Dash dash) override;
    void setColor(int paletteIndex) override;
    void text(double x, double y, const std::string &text) override;
    double width() const override { return size_.width(); }
    double height() const override { return size_.height(); }
    TextExtent textExtent(const std::string &text) const override;

    // Lines of a picture for print are a logical pixel wide (about 0.26 mm in a file of 96
    // logical pixels to the inch); on the screen they are one device pixel.
    void setPrinted(bool printed) { printed_ = printed; }

    // Paints what is pending and releases the device, so that it can be read or replaced.
    void finish() const;

    // Called whenever the picture is about to change (a view schedules its repaint).
    std::function<void()> onPaint;

protected:
    // Paints from now on onto `device`, `size` logical pixels large.
    void attach(QPaintDevice *device, QSizeF size);
    QSizeF size_;

private:
    enum class Run { None, Points, Polyline, Rectangles, Markers };
    struct PendingMarker {
        QPointF at;
        Marker shape;
        bool filled;
    };

    bool mapped(double x, double y, QPointF &pixel) const;
    QPointF clamped(QPointF pixel) const;
    bool clipped(QPointF &a, QPointF &b) const;
    QPainter &painter() const;
    void startRun(Run run) const;
    void flush() const;
    void paintMarkers() const;
    void drawMarker(QPainter &p, QPointF c, Marker shape, bool filled, double r) const;
    QPen pen(bool forPoints) const;
    QFont font() const;

    QColor background_;
    QColor foreground_;
    QPaintDevice *device_ = nullptr;
    bool scaled_ = false;
    double left_ = 0, top_ = 0, right_ = 1, bottom_ = 1;
    Dash dash_ = Dash::Solid;
    bool printed_ = false;
    QColor color_;
    QPointF current_;
    bool currentVisible_ = false;

    // Painting in progress; image() of a const canvas completes it.
    mutable QPainter painter_;
    mutable Run run_ = Run::None;
    mutable QVector<QPointF> points_;
    mutable QPolygonF polyline_;
    mutable QVector<QRectF> rectangles_;
    mutable QVector<PendingMarker> markers_;
};

// A canvas painting into an image of the given logical size and device pixel ratio; the
// plot window's picture and the image kemvo-cli writes.
class ImageCanvas : public QtCanvas, public ImageSource {
public:
    explicit ImageCanvas(QSize size, qreal devicePixelRatio = 1.0, QColor background = Qt::white,
                         QColor foreground = Qt::black);
    // An image exactly `pixels` large whose logical pixels are `devicePixelRatio` of them: a
    // picture file of a size in millimetres at a resolution.
    static std::unique_ptr<ImageCanvas> ofPixels(QSize pixels, qreal devicePixelRatio);
    ~ImageCanvas() override;
    // A new, empty image of that size; the picture is lost until the next drawing.
    void resize(QSize size, qreal devicePixelRatio);
    QSize logicalSize() const { return logical_; }
    qreal devicePixelRatio() const { return image_.devicePixelRatio(); }
    QImage image() const override;

private:
    QSize logical_;
    QImage image_;
};

} // namespace kemvo::qt
