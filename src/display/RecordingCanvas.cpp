#include "display/RecordingCanvas.h"

#include <algorithm>

namespace kemvo {

void RecordingCanvas::record(Stroke::Kind kind, double x1, double y1, double x2, double y2,
                             int value, std::string text) {
    strokes_.push_back(Stroke{kind, x1, y1, x2, y2, value, std::move(text), false});
}

void RecordingCanvas::scale(double left, double top, double right, double bottom) {
    record(Stroke::Kind::Scale, left, top, right, bottom);
    lastScale_ = strokes_.back();
}

void RecordingCanvas::clear() {
    strokes_.clear();
    record(Stroke::Kind::Clear);
    if (lastScale_)
        strokes_.push_back(*lastScale_);
    if (dash_ != Dash::Solid)
        record(Stroke::Kind::Dashed, 0, 0, 0, 0, static_cast<int>(dash_));
    if (color_ != kForegroundColor)
        record(Stroke::Kind::Color, 0, 0, 0, 0, color_);
}

void RecordingCanvas::point(double x, double y) {
    record(Stroke::Kind::Point, x, y);
}

void RecordingCanvas::line(double x1, double y1, double x2, double y2) {
    record(Stroke::Kind::Line, x1, y1, x2, y2);
}

void RecordingCanvas::lineTo(double x, double y) {
    record(Stroke::Kind::LineTo, x, y);
}

void RecordingCanvas::rectangle(double x1, double y1, double x2, double y2) {
    record(Stroke::Kind::Rectangle, x1, y1, x2, y2);
}

void RecordingCanvas::marker(double x, double y, Marker shape, bool filled) {
    record(Stroke::Kind::Marker, x, y, 0, 0, static_cast<int>(shape));
    strokes_.back().filled = filled;
}

void RecordingCanvas::setDash(Dash dash) {
    dash_ = dash;
    record(Stroke::Kind::Dashed, 0, 0, 0, 0, static_cast<int>(dash));
}

void RecordingCanvas::setColor(int paletteIndex) {
    color_ = paletteIndex;
    record(Stroke::Kind::Color, 0, 0, 0, 0, paletteIndex);
}

void RecordingCanvas::text(double x, double y, const std::string &text) {
    record(Stroke::Kind::Text, x, y, 0, 0, 0, text);
}

// The widest characters of a sans-serif font's digits and capitals take about 0.64 em and a
// line about 1.17 em; a little more is assumed. Each character of UTF-8 text counts once.
TextExtent RecordingCanvas::textExtent(const std::string &text) const {
    const double em = plotFontPixels(width_, height_);
    auto characters = static_cast<double>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
    return {0.68 * em * characters, 1.2 * em};
}

void RecordingCanvas::replay(Canvas &target) const {
    for (const Stroke &s : strokes_) {
        switch (s.kind) {
        case Stroke::Kind::Scale:
            target.scale(s.x1, s.y1, s.x2, s.y2);
            break;
        case Stroke::Kind::Clear:
            target.clear();
            break;
        case Stroke::Kind::Point:
            target.point(s.x1, s.y1);
            break;
        case Stroke::Kind::Line:
            target.line(s.x1, s.y1, s.x2, s.y2);
            break;
        case Stroke::Kind::LineTo:
            target.lineTo(s.x1, s.y1);
            break;
        case Stroke::Kind::Rectangle:
            target.rectangle(s.x1, s.y1, s.x2, s.y2);
            break;
        case Stroke::Kind::Marker:
            target.marker(s.x1, s.y1, static_cast<Marker>(s.value), s.filled);
            break;
        case Stroke::Kind::Dashed:
            target.setDash(static_cast<Dash>(s.value));
            break;
        case Stroke::Kind::Color:
            target.setColor(s.value);
            break;
        case Stroke::Kind::Text:
            target.text(s.x1, s.y1, s.text);
            break;
        }
    }
}

} // namespace kemvo
