#include "display/qt/QtCanvas.h"

#include "display/ClipSegment.h"

#include "shell/qt/Bindings.h"

#include <QFontMetricsF>
#include <QGuiApplication>

#include <algorithm>
#include <array>
#include <cmath>

namespace kemvo::qt {
namespace {

// The 16-colour palette: black, dark blue, dark green, dark cyan, dark red, ... white.
const std::array<QColor, 16> kPalette = {
    QColor(0, 0, 0),       QColor(0, 0, 128),   QColor(0, 128, 0),   QColor(0, 128, 128),
    QColor(128, 0, 0),     QColor(128, 0, 128), QColor(128, 128, 0), QColor(192, 192, 192),
    QColor(128, 128, 128), QColor(0, 0, 255),   QColor(0, 255, 0),   QColor(0, 255, 255),
    QColor(255, 0, 0),     QColor(255, 0, 255), QColor(255, 255, 0), QColor(255, 255, 255)};

// Lines are one device pixel wide on every screen: the painter's fast path, which keeps a
// redraw of thousands of segments quick also on dense screens.
constexpr qreal kLineWidth = 1.0; // [device px]
constexpr qreal kDotWidth = 2.4;  // [logical px] a point must stay visible on dense screens

} // namespace

QtCanvas::QtCanvas(QColor background, QColor foreground)
    : background_(background), foreground_(foreground), color_(foreground) {}

QtCanvas::~QtCanvas() {
    finish();
}

void QtCanvas::attach(QPaintDevice *device, QSizeF size) {
    finish();
    device_ = device;
    size_ = size;
}

void QtCanvas::scale(double left, double top, double right, double bottom) {
    left_ = left;
    top_ = top;
    right_ = right;
    bottom_ = bottom;
    scaled_ = true;
}

// Logical pixel of a user coordinate; false when it has none (a degenerate scale).
bool QtCanvas::mapped(double x, double y, QPointF &pixel) const {
    if (scaled_) {
        x = (x - left_) / (right_ - left_) * size_.width();
        y = (y - top_) / (bottom_ - top_) * size_.height();
    }
    pixel = QPointF(x, y);
    return std::isfinite(x) && std::isfinite(y);
}

// Pixels far outside the surface are brought to a margin around it: the painter is never
// handed coordinates it cannot raster, and nothing visible changes.
QPointF QtCanvas::clamped(QPointF pixel) const {
    return {std::clamp(pixel.x(), -size_.width(), 2 * size_.width()),
            std::clamp(pixel.y(), -size_.height(), 2 * size_.height())};
}

// Cuts the segment a-b to the surface and its margin (Liang-Barsky); false if nothing is left.
bool QtCanvas::clipped(QPointF &a, QPointF &b) const {
    double ax = a.x(), ay = a.y(), bx = b.x(), by = b.y();
    const double w = size_.width(), h = size_.height();
    if (!clipSegment(ax, ay, bx, by, -w, 2 * w, -h, 2 * h))
        return false;
    a = QPointF(ax, ay);
    b = QPointF(bx, by);
    return true;
}

QPainter &QtCanvas::painter() const {
    if (!painter_.isActive()) {
        painter_.begin(device_);
        painter_.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        QFont font = QGuiApplication::font();
        // Readable on a small window, not shouting on a large one.
        double side = std::min(size_.width(), size_.height());
        font.setPixelSize(static_cast<int>(std::clamp(side / 40, 11.0, 16.0)));
        painter_.setFont(font);
    }
    if (onPaint)
        onPaint();
    return painter_;
}

QPen QtCanvas::pen(bool forPoints) const {
    QPen result(color_, forPoints ? kDotWidth : kLineWidth);
    result.setCosmetic(!forPoints);
    result.setStyle(dashed_ && !forPoints ? Qt::DashLine : Qt::SolidLine);
    result.setCapStyle(Qt::FlatCap);
    result.setJoinStyle(Qt::BevelJoin);
    return result;
}

void QtCanvas::startRun(Run run) const {
    if (run_ != run)
        flush();
    run_ = run;
}

void QtCanvas::flush() const {
    if (device_ != nullptr) {
        if (!points_.isEmpty()) {
            painter().setPen(pen(true));
            painter().drawPoints(points_.constData(), static_cast<int>(points_.size()));
        }
        if (polyline_.size() > 1) {
            painter().setPen(pen(false));
            painter().drawPolyline(polyline_);
        }
        if (!rectangles_.isEmpty()) {
            // Thousands of small squares: crisp outlines without antialiasing are much faster.
            painter().setPen(pen(false));
            painter().setBrush(Qt::NoBrush);
            painter().setRenderHint(QPainter::Antialiasing, false);
            painter().drawRects(rectangles_.constData(), static_cast<int>(rectangles_.size()));
            painter().setRenderHint(QPainter::Antialiasing, true);
        }
    }
    points_.clear();
    polyline_.clear();
    rectangles_.clear();
    run_ = Run::None;
}

void QtCanvas::finish() const {
    flush();
    if (painter_.isActive())
        painter_.end();
}

void QtCanvas::clear() {
    flush();
    if (device_ != nullptr)
        painter().fillRect(QRectF(QPointF(0, 0), size_), background_);
}

void QtCanvas::point(double x, double y) {
    startRun(Run::Points);
    currentVisible_ = mapped(x, y, current_);
    if (currentVisible_ && clamped(current_) == current_)
        points_.append(current_);
}

void QtCanvas::line(double x1, double y1, double x2, double y2) {
    flush();
    QPointF a, b;
    bool valid = mapped(x1, y1, a) && mapped(x2, y2, b);
    current_ = b;
    currentVisible_ = valid;
    if (valid && device_ != nullptr && clipped(a, b)) {
        painter().setPen(pen(false));
        painter().drawLine(a, b);
    }
}

void QtCanvas::lineTo(double x, double y) {
    startRun(Run::Polyline);
    QPointF target;
    bool valid = mapped(x, y, target);
    QPointF a = current_, b = target;
    if (currentVisible_ && valid && clipped(a, b)) {
        if (polyline_.isEmpty() || polyline_.last() != a) {
            flush();
            run_ = Run::Polyline;
            polyline_.append(a);
        }
        polyline_.append(b);
    }
    current_ = target;
    currentVisible_ = valid;
}

void QtCanvas::rectangle(double x1, double y1, double x2, double y2) {
    startRun(Run::Rectangles);
    QPointF a, b;
    if (mapped(x1, y1, a) && mapped(x2, y2, b))
        rectangles_.append(QRectF(clamped(a), clamped(b)).normalized());
}

void QtCanvas::setDashed(bool dashed) {
    flush();
    dashed_ = dashed;
}

void QtCanvas::setColor(int paletteIndex) {
    flush();
    color_ = paletteIndex >= 0 && paletteIndex < static_cast<int>(kPalette.size())
                 ? kPalette[static_cast<std::size_t>(paletteIndex)]
                 : foreground_;
}

void QtCanvas::text(double x, double y, const std::string &text) {
    flush();
    QPointF corner;
    if (device_ == nullptr || !mapped(x, y, corner) || clamped(corner) != corner)
        return;
    QPainter &p = painter();
    QFontMetricsF metrics(p.font());
    QString shown = toQt(text);
    // A text that starts on the surface but runs over its right or lower edge moves back in,
    // so that labels near the edges of a small window stay readable.
    if (QRectF(QPointF(0, 0), size_).contains(corner)) {
        double right = size_.width() - metrics.horizontalAdvance(shown);
        double bottom = size_.height() - metrics.height();
        corner = QPointF(std::max(0.0, std::min(corner.x(), right)),
                         std::max(0.0, std::min(corner.y(), bottom)));
    }
    p.setPen(color_);
    p.drawText(corner + QPointF(0, metrics.ascent()), shown);
}

ImageCanvas::ImageCanvas(QSize size, qreal devicePixelRatio, QColor background, QColor foreground)
    : QtCanvas(background, foreground) {
    resize(size, devicePixelRatio);
}

ImageCanvas::~ImageCanvas() {
    finish();
}

void ImageCanvas::resize(QSize size, qreal devicePixelRatio) {
    finish();
    size_ = size.expandedTo(QSize(1, 1));
    image_ = QImage(size_ * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image_.setDevicePixelRatio(devicePixelRatio);
    attach(&image_, size_);
    clear();
}

QImage ImageCanvas::image() const {
    finish();
    return image_;
}

} // namespace kemvo::qt
