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

// The 16-colour palette (black, dark blue, dark green, dark cyan, dark red, ... white); then the
// curve colours blue, vermillion, bluish green, reddish purple and orange, which readers with
// any common colour-vision deficiency tell apart (Okabe and Ito, "Color Universal Design",
// 2008); then the light grey of the grid.
const std::array<QColor, 22> kPalette = {
    QColor(0, 0, 0),       QColor(0, 0, 128),    QColor(0, 128, 0),   QColor(0, 128, 128),
    QColor(128, 0, 0),     QColor(128, 0, 128),  QColor(128, 128, 0), QColor(192, 192, 192),
    QColor(128, 128, 128), QColor(0, 0, 255),    QColor(0, 255, 0),   QColor(0, 255, 255),
    QColor(255, 0, 0),     QColor(255, 0, 255),  QColor(255, 255, 0), QColor(255, 255, 255),
    QColor(0, 114, 178),   QColor(213, 94, 0),   QColor(0, 158, 115), QColor(204, 121, 167),
    QColor(230, 159, 0),   QColor(217, 217, 217)};

// On the screen lines are one device pixel wide: the painter's fast path, which keeps a redraw
// of thousands of segments quick also on dense screens. In a picture for print they are a
// logical pixel wide.
constexpr qreal kLineWidth = 1.0; // [device px, or logical px in print]
constexpr qreal kDotWidth = 2.4;  // [logical px] a point must stay visible on dense screens
// Marker sizes [em of the plot's font]: a filled marker's width, an open one's.
constexpr double kFilledMarker = 0.4;
constexpr double kOpenMarker = 0.62;

// Dash patterns [line widths]: dashes long enough to read at one pixel.
QVector<qreal> dashPattern(Dash dash) {
    switch (dash) {
    case Dash::Dashed:
        return {6, 4};
    case Dash::DashDot:
        return {8, 3, 1.5, 3};
    case Dash::Dotted:
        return {1.5, 2.5};
    case Dash::Solid:
        break;
    }
    return {};
}

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
        painter_.setFont(font());
    }
    if (onPaint)
        onPaint();
    return painter_;
}

QFont QtCanvas::font() const {
    QFont font = QGuiApplication::font();
    font.setPixelSize(static_cast<int>(plotFontPixels(size_.width(), size_.height())));
    return font;
}

TextExtent QtCanvas::textExtent(const std::string &text) const {
    QFontMetricsF metrics(font());
    return {metrics.horizontalAdvance(toQt(text)), metrics.height()};
}

QPen QtCanvas::pen(bool forPoints) const {
    QPen result(color_, forPoints ? kDotWidth : kLineWidth);
    result.setCosmetic(!forPoints && !printed_);
    if (dash_ != Dash::Solid && !forPoints)
        result.setDashPattern(dashPattern(dash_));
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
        paintMarkers();
    }
    points_.clear();
    polyline_.clear();
    rectangles_.clear();
    markers_.clear();
    run_ = Run::None;
}

// A marker of radius r [logical px] centred on c.
void QtCanvas::drawMarker(QPainter &p, QPointF c, Marker shape, bool filled, double r) const {
    if (filled) {
        p.setPen(Qt::NoPen);
        p.setBrush(color_);
    } else {
        QPen outline = pen(false);
        outline.setStyle(Qt::SolidLine);
        p.setPen(outline);
        p.setBrush(Qt::NoBrush);
    }
    switch (shape) {
    case Marker::Circle:
        p.drawEllipse(c, r, r);
        break;
    case Marker::Square:
        p.drawRect(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r));
        break;
    case Marker::TriangleUp:
        p.drawPolygon(QPolygonF{c + QPointF(0, -1.15 * r), c + QPointF(1.1 * r, 0.85 * r),
                                c + QPointF(-1.1 * r, 0.85 * r)});
        break;
    case Marker::TriangleDown:
        p.drawPolygon(QPolygonF{c + QPointF(0, 1.15 * r), c + QPointF(1.1 * r, -0.85 * r),
                                c + QPointF(-1.1 * r, -0.85 * r)});
        break;
    case Marker::Diamond:
        p.drawPolygon(QPolygonF{c + QPointF(0, -1.25 * r), c + QPointF(1.25 * r, 0),
                                c + QPointF(0, 1.25 * r), c + QPointF(-1.25 * r, 0)});
        break;
    }
    p.setBrush(Qt::NoBrush);
}

// Filled markers are solid shapes, open ones outlines: shapes, not pixels, so that they stay
// visible in a vector file at any zoom. On the screen each kind of marker is painted once and
// then copied to every point, which keeps a redraw of thousands of them quick.
void QtCanvas::paintMarkers() const {
    if (markers_.isEmpty())
        return;
    const double em = plotFontPixels(size_.width(), size_.height());
    QPainter &p = painter();
    const double ratio = p.device()->devicePixelRatioF();
    QImage sprite;
    Marker spriteShape = Marker::Circle;
    bool spriteFilled = false;
    double half = 0;
    for (const PendingMarker &m : markers_) {
        const double r = (m.filled ? kFilledMarker : kOpenMarker) * em / 2;
        if (printed_) {
            drawMarker(p, m.at, m.shape, m.filled, r);
            continue;
        }
        if (sprite.isNull() || m.shape != spriteShape || m.filled != spriteFilled) {
            half = std::ceil(1.3 * r + 1);
            const int side = static_cast<int>(std::ceil(2 * half * ratio));
            sprite = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
            sprite.setDevicePixelRatio(ratio);
            sprite.fill(Qt::transparent);
            QPainter draw(&sprite);
            draw.setRenderHint(QPainter::Antialiasing);
            drawMarker(draw, QPointF(half, half), m.shape, m.filled, r);
            spriteShape = m.shape;
            spriteFilled = m.filled;
        }
        p.drawImage(m.at - QPointF(half, half), sprite);
    }
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

void QtCanvas::marker(double x, double y, Marker shape, bool filled) {
    startRun(Run::Markers);
    QPointF at;
    if (mapped(x, y, at) && clamped(at) == at)
        markers_.append({at, shape, filled});
}

void QtCanvas::setDash(Dash dash) {
    flush();
    dash_ = dash;
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

std::unique_ptr<ImageCanvas> ImageCanvas::ofPixels(QSize pixels, qreal devicePixelRatio) {
    auto canvas = std::make_unique<ImageCanvas>(QSize(1, 1));
    canvas->finish();
    canvas->image_ = QImage(pixels.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    canvas->image_.setDevicePixelRatio(devicePixelRatio);
    canvas->image_.setDotsPerMeterX(qRound(devicePixelRatio * 96 / 0.0254));
    canvas->image_.setDotsPerMeterY(qRound(devicePixelRatio * 96 / 0.0254));
    canvas->logical_ = pixels / devicePixelRatio;
    canvas->attach(&canvas->image_, QSizeF(pixels) / devicePixelRatio);
    canvas->setPrinted(true);
    canvas->clear();
    return canvas;
}

ImageCanvas::~ImageCanvas() {
    finish();
}

void ImageCanvas::resize(QSize size, qreal devicePixelRatio) {
    finish();
    logical_ = size.expandedTo(QSize(1, 1));
    image_ = QImage(logical_ * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image_.setDevicePixelRatio(devicePixelRatio);
    attach(&image_, logical_);
    clear();
}

QImage ImageCanvas::image() const {
    finish();
    return image_;
}

} // namespace kemvo::qt
