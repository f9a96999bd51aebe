#pragma once
// The plot's canvas on a Qt paint device: user coordinates mapped to logical pixels,
// antialiased strokes, fonts sized to the surface, the 16-colour palette. Runs of points,
// segments or squares are painted together, which keeps a redraw of thousands of points fast.

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
    void setDashed(bool dashed) override;
    void setColor(int paletteIndex) override;
    void text(double x, double y, const std::string &text) override;

    // Paints what is pending and releases the device, so that it can be read or replaced.
    void finish() const;

    // Called whenever the picture is about to change (a view schedules its repaint).
    std::function<void()> onPaint;

protected:
    // Paints from now on onto `device`, `size` logical pixels large.
    void attach(QPaintDevice *device, QSizeF size);

private:
    enum class Run { None, Points, Polyline, Rectangles };

    bool mapped(double x, double y, QPointF &pixel) const;
    QPointF clamped(QPointF pixel) const;
    bool clipped(QPointF &a, QPointF &b) const;
    QPainter &painter() const;
    void startRun(Run run) const;
    void flush() const;
    QPen pen(bool forPoints) const;

    QColor background_;
    QColor foreground_;
    QPaintDevice *device_ = nullptr;
    QSizeF size_;
    bool scaled_ = false;
    double left_ = 0, top_ = 0, right_ = 1, bottom_ = 1;
    bool dashed_ = false;
    QColor color_;
    QPointF current_;
    bool currentVisible_ = false;

    // Painting in progress; image() of a const canvas completes it.
    mutable QPainter painter_;
    mutable Run run_ = Run::None;
    mutable QVector<QPointF> points_;
    mutable QPolygonF polyline_;
    mutable QVector<QRectF> rectangles_;
};

// A canvas painting into an image of the given logical size and device pixel ratio; the
// plot window's picture and the image kemvo-cli writes.
class ImageCanvas : public QtCanvas, public ImageSource {
public:
    explicit ImageCanvas(QSize size, qreal devicePixelRatio = 1.0, QColor background = Qt::white,
                         QColor foreground = Qt::black);
    ~ImageCanvas() override;
    // A new, empty image of that size; the picture is lost until the next drawing.
    void resize(QSize size, qreal devicePixelRatio);
    QSize logicalSize() const { return size_; }
    qreal devicePixelRatio() const { return image_.devicePixelRatio(); }
    QImage image() const override;

private:
    QSize size_;
    QImage image_;
};

} // namespace kemvo::qt
