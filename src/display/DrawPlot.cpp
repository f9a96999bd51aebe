#include "display/DrawPlot.h"

#include "display/AxisCaption.h"
#include "display/AxisTicks.h"
#include "display/ClipSegment.h"
#include "display/CurveStyle.h"
#include "display/FormOption.h"
#include "display/FormPlot.h"
#include "display/PlotLegend.h"
#include "display/PlotPen.h"
#include "shell/Application.h"
#include "shell/RuntimeError.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace kemvo {
namespace {

// The x frame of an automatic range reaches this far past the data on either side [fraction of
// the data's span], so that markers at the ends of a sweep stay clear of the frame.
constexpr double kAutoXPadding = 0.02;
// Room between y labels [lines of text], and between x labels [lines] besides their width.
constexpr double kYLabelSpacing = 1.6;
constexpr double kXLabelGap = 1.0;
// Potentials are shown in mV where a tick step in V would need three decimals.
constexpr double kFinestVoltStep = 0.01; // [V]
// A line that carries its markers too shows about this many of them.
constexpr int kMarksOnALine = 30;

// One axis as it is drawn: its ticks, their labels and the prefix of its unit.
struct DrawnAxis {
    AxisTicks ticks;
    UnitPrefix prefix;
    std::vector<std::string> labels;
    double widest = 0; // [px] the widest label
};

class PlotDrawing {
public:
    PlotDrawing(Application &app, FormPlot &plot)
        : app_(app), s_(app.state()), store_(app.store()), options_(app.form<FormOption>()),
          plot_(plot), pen_(plot) {}

    void run() {
        ReadPlotOptions(app_);
        plot_.show();
        pen_.clear();
        pen_.setDash(Dash::Solid);
        pen_.setColor(kForegroundColor);
        const bool xAuto = options_.Xauto.checked(), yAuto = options_.Yauto.checked();
        if (xAuto)
            findXRange();
        if (yAuto)
            findYRange();
        findDecade(yAuto);
        if (s_.xMax - s_.xMin == 0 || s_.yMax - s_.yMin == 0) {
            app_.showMessage("Error: No data!");
            return;
        }
        setFrameLimits(xAuto, yAuto);
        layOut();
        if (s_.gridOn)
            drawGrid();
        drawZeroLine();
        for (int k = 1; k <= s_.curveCount; ++k)
            drawCurve(k);
        pen_.setColor(kForegroundColor);
        pen_.setDash(Dash::Solid);
        pen_.rectangle(xLeft_, frameBottom_, xRight_, frameTop_);
        drawTicks();
        drawTexts();
        drawCurveLegend();
    }

private:
    void findXRange() {
        double high = store_.potential(s_.firstPoint);
        double low = store_.potential(s_.lastPoint);
        for (int i = s_.firstPoint; i <= s_.lastPoint; ++i) {
            double x = store_.potential(i);
            high = std::max(high, x);
            low = std::min(low, x);
        }
        s_.xMax = checkedFinite(high);
        s_.xMin = checkedFinite(low);
    }

    // Starts from point 1 of the current curve and takes in every point of every curve.
    void findYRange() {
        double high = store_.curves(1, s_.currentCurve);
        double low = high;
        for (int k = 1; k <= s_.curveCount; ++k)
            for (int i = s_.firstPoint; i <= s_.lastPoint; ++i) {
                double y = store_.curves(i, k);
                high = std::max(high, y);
                low = std::min(low, y);
            }
        s_.yMax = checkedFinite(high);
        s_.yMin = checkedFinite(low);
    }

    // decade_ = 10^n with 10^n <= largest magnitude < 10^(n+1), n <= 6 (else 10^6); with Y
    // auto the limits are rounded outward to whole multiples of it. Values all below 1e-15 get
    // their own decade, so that a curve of 1e-18 A is not drawn flat on an axis up to 1e6.
    void findDecade(bool yAuto) {
        double largest = std::fmax(s_.yMax, std::fabs(s_.yMin));
        const int lowest = largest > 0 ? std::min(-15, decadeExponentOf(largest)) : -15;
        for (int n = lowest; n <= 6; ++n) {
            decade_ = std::pow(10.0, n);
            if (decade_ <= largest && largest < std::pow(10.0, n + 1)) {
                if (yAuto) {
                    s_.yMax = decade_ * (std::trunc(s_.yMax / decade_) + 1);
                    s_.yMin = decade_ * (std::trunc(s_.yMin / decade_) - 1);
                }
                return;
            }
        }
    }

    static int decadeExponentOf(double value) {
        return std::max(-300, static_cast<int>(std::floor(std::log10(value))));
    }

    // The frame spans the y limits (with Y auto a top at or below zero is raised to one decade)
    // and the x limits, an automatic x range a little wider than the data.
    void setFrameLimits(bool xAuto, bool yAuto) {
        if (yAuto && s_.yMax <= 0)
            s_.yMax = decade_;
        frameBottom_ = std::fmin(s_.yMin, s_.yMax);
        frameTop_ = std::fmax(s_.yMin, s_.yMax);
        double low = std::fmin(s_.xMin, s_.xMax), high = std::fmax(s_.xMin, s_.xMax);
        if (xAuto) {
            const double pad = kAutoXPadding * (high - low);
            low -= pad;
            high += pad;
        }
        const bool reversed = options_.CheckXdir.checked();
        xLeft_ = reversed ? high : low;
        xRight_ = reversed ? low : high;
        checkedFinite(frameTop_ - frameBottom_);
        checkedFinite(high - low);
    }

    // The frame in pixels: below the y caption, right of the y labels, above the x labels and
    // the x caption; the visible area is the frame's range plus these margins, in proportion.
    void layOut() {
        const double width = pen_.width(), height = pen_.height();
        line_ = pen_.extent("0").height;
        pad_ = 0.6 * line_;
        gap_ = 0.35 * line_;
        const double top = pad_ + 1.5 * line_;
        const double bottom = gap_ + line_ + 0.4 * line_ + line_ + pad_;
        const double frameHeight = std::max(height - top - bottom, line_);

        const double ySpan = frameTop_ - frameBottom_;
        y_.ticks = niceTicks(frameBottom_, frameTop_, ySpan * kYLabelSpacing * line_ / frameHeight);
        y_.prefix = engineeringPrefix(std::fmax(std::fabs(frameBottom_), std::fabs(frameTop_)));
        label(y_);
        const double left = pad_ + y_.widest + gap_;

        double right = pad_ + 1.5 * line_;
        for (int pass = 0; pass < 2; ++pass) {
            chooseXTicks(std::max(width - left - right, line_));
            right = pad_ + std::max(x_.widest / 2, line_);
        }
        frame_ = {left, top, std::max(width - right, left + line_), top + frameHeight};

        const double ux = (xRight_ - xLeft_) / (frame_.right - frame_.left);
        const double uy = ySpan / (frame_.bottom - frame_.top);
        area_ = {xLeft_ - frame_.left * ux,
                 frameTop_ + frame_.top * uy,
                 xRight_ + (width - frame_.right) * ux,
                 frameBottom_ - (height - frame_.bottom) * uy,
                 width,
                 height};
        pen_.scale(area_.left, area_.top, area_.right, area_.bottom);
    }

    // The finest 1-2-5 step whose labels keep a gap between them on a frame `frameWidth` wide.
    void chooseXTicks(double frameWidth) {
        const double span = std::fabs(xRight_ - xLeft_);
        double least = 0;
        for (;;) {
            x_.ticks = niceTicks(xLeft_, xRight_, least);
            const bool volts = s_.potentialFactor == 1;
            x_.prefix =
                volts && x_.ticks.step < kFinestVoltStep ? UnitPrefix{"m", 1e-3} : UnitPrefix{};
            label(x_);
            const double spacing = x_.ticks.step / span * frameWidth;
            if (x_.ticks.values.size() <= 1 || spacing >= x_.widest + kXLabelGap * line_)
                return;
            least = nextNiceStep(x_.ticks.step);
        }
    }

    void label(DrawnAxis &axis) {
        axis.labels.clear();
        axis.widest = 0;
        for (double value : axis.ticks.values) {
            axis.labels.push_back(tickLabel(value, axis.ticks.step, axis.prefix));
            axis.widest = std::max(axis.widest, pen_.extent(axis.labels.back()).width);
        }
    }

    // Grid lines at the ticks, under everything else.
    void drawGrid() {
        pen_.setColor(kGridColor);
        for (double x : x_.ticks.values)
            pen_.line(x, frameBottom_, x, frameTop_);
        for (double y : y_.ticks.values)
            pen_.line(xLeft_, y, xRight_, y);
        pen_.setColor(kForegroundColor);
    }

    // Across the whole frame, where zero lies inside the y range.
    void drawZeroLine() {
        if (!(frameBottom_ < 0 && frameTop_ > 0))
            return;
        pen_.setDash(Dash::Dashed);
        pen_.line(xLeft_, 0, xRight_, 0);
        pen_.setDash(Dash::Solid);
    }

    // Tick marks inward from all four sides of the frame.
    void drawTicks() {
        const double mark = 0.4 * line_;
        for (double x : x_.ticks.values) {
            pen_.line(x, frameBottom_, x, area_.y(frame_.bottom - mark));
            pen_.line(x, frameTop_, x, area_.y(frame_.top + mark));
        }
        for (double y : y_.ticks.values) {
            pen_.line(xLeft_, y, area_.x(frame_.left + mark), y);
            pen_.line(xRight_, y, area_.x(frame_.right - mark), y);
        }
    }

    void drawTexts() {
        for (std::size_t t = 0; t < y_.labels.size(); ++t) {
            const TextExtent size = pen_.extent(y_.labels[t]);
            const double py = area_.py(y_.ticks.values[t]) - size.height / 2;
            pen_.text(area_.x(frame_.left - gap_ - size.width), area_.y(py), y_.labels[t]);
        }
        for (std::size_t t = 0; t < x_.labels.size(); ++t) {
            const double px = area_.px(x_.ticks.values[t]) - pen_.extent(x_.labels[t]).width / 2;
            pen_.text(area_.x(px), area_.y(frame_.bottom + gap_), x_.labels[t]);
        }
        const std::string yCaption =
            yAxisCaption(options_.ComboY.text(), currentHistory(), y_.prefix.symbol);
        if (!yCaption.empty())
            pen_.text(area_.x(pad_), area_.y(pad_ * 0.5), yCaption);
        const std::string xCaption = xAxisCaption(s_.potentialFactor, x_.prefix.symbol);
        const double centre = (frame_.left + frame_.right - pen_.extent(xCaption).width) / 2;
        pen_.text(area_.x(centre), area_.y(frame_.bottom + gap_ + 1.4 * line_), xCaption);
    }

    const CurveHistory &currentHistory() const {
        static const CurveHistory asDerived;
        int k = s_.currentCurve;
        if (k < 0 || k >= static_cast<int>(s_.curveHistory.size()))
            return asDerived;
        return s_.curveHistory[static_cast<std::size_t>(k)];
    }

    Int16 lineStyleOf(int k) const {
        if (k < 0 || k >= static_cast<int>(s_.lineStyle.size()))
            throw RuntimeError(kSubscriptOutOfRange);
        return s_.lineStyle[static_cast<std::size_t>(k)];
    }

    double frameLow() const { return std::fmin(xLeft_, xRight_); }
    double frameHigh() const { return std::fmax(xLeft_, xRight_); }

    // What lies outside the frame is not drawn, so that it cannot cover the labels around it.
    bool insideFrame(double x, double y) const {
        return frameLow() <= x && x <= frameHigh() && frameBottom_ <= y && y <= frameTop_;
    }

    bool clipToFrame(double &ax, double &ay, double &bx, double &by) const {
        return clipSegment(ax, ay, bx, by, frameLow(), frameHigh(), frameBottom_, frameTop_);
    }

    void drawCurve(int k) {
        const int style = lineStyleOf(k);
        if (style != kDotsStyle && style != kSquaresStyle && style != kLineStyle)
            return;
        pen_.setColor(curveColor(k));
        if (style == kLineStyle) {
            pen_.setDash(curveDash(k));
            drawConnected(k);
            pen_.setDash(Dash::Solid);
        }
        const int every =
            style == kLineStyle
                ? (markedLine(k) ? std::max(1, (s_.lastPoint - s_.firstPoint) / kMarksOnALine) : 0)
                : 1;
        for (int i = s_.firstPoint; i <= s_.lastPoint; ++i) {
            const double x = store_.potential(i), y = store_.curves(i, k);
            if (!insideFrame(x, y))
                continue;
            points_.push_back({area_.px(x), area_.py(y)});
            if (every > 0 && (i - s_.firstPoint) % every == 0) {
                // A point the fit did not weigh is grey.
                if (unweighted(k, i))
                    pen_.setColor(kUnweightedColor);
                pen_.marker(x, y, curveMarker(k), style != kSquaresStyle);
                if (unweighted(k, i))
                    pen_.setColor(curveColor(k));
            }
        }
        legend_.push_back({k, style, style == kLineStyle && markedLine(k), curveName(k)});
    }

    // Curve 1 drawn as a line beside curve 2 drawn as a line: both solid, so curve 1 carries
    // its markers as well.
    bool markedLine(int k) const {
        return k == 1 && s_.curveCount >= 2 && lineStyleOf(1) == kLineStyle &&
               lineStyleOf(2) == kLineStyle;
    }

    std::string curveName(int k) const {
        const std::string &label = s_.curveLabel[static_cast<std::size_t>(k)];
        return label.empty() ? "curve " + std::to_string(k) : label;
    }

    bool unweighted(int k, int i) const {
        return k == 1 && i >= 1 && static_cast<std::size_t>(i) <= s_.unweighted.size() &&
               s_.unweighted[static_cast<std::size_t>(i - 1)];
    }

    // A point at the first point of the range, then a segment to each next point, each cut
    // to the frame; a segment that re-enters the frame starts afresh where it enters.
    void drawConnected(int k) {
        double x0 = store_.potential(s_.firstPoint), y0 = store_.curves(s_.firstPoint, k);
        bool penAtPoint = insideFrame(x0, y0);
        if (penAtPoint)
            pen_.point(x0, y0);
        for (int i = s_.firstPoint + 1; i <= s_.lastPoint; ++i) {
            double x1 = store_.potential(i), y1 = store_.curves(i, k);
            double ax = x0, ay = y0, bx = x1, by = y1;
            bool shown = clipToFrame(ax, ay, bx, by);
            if (shown) {
                // The part of a measured curve that the fit did not weigh is grey and dotted.
                const bool left = unweighted(k, i - 1) || unweighted(k, i);
                if (left) {
                    pen_.setColor(kUnweightedColor);
                    pen_.setDash(Dash::Dotted);
                }
                if (!penAtPoint || ax != x0 || ay != y0 || left)
                    pen_.point(ax, ay);
                pen_.lineTo(bx, by);
                if (left) {
                    pen_.setColor(curveColor(k));
                    pen_.setDash(curveDash(k));
                }
            }
            penAtPoint = shown && bx == x1 && by == y1;
            x0 = x1;
            y0 = y1;
        }
    }

    // Overlapped curves, or a single one with a name of its own.
    void drawCurveLegend() {
        if (legend_.empty() ||
            (legend_.size() == 1 && s_.curveCount == 1 && s_.curveLabel[1].empty()))
            return;
        drawLegend(pen_, area_, frame_, legend_, points_);
    }

    Application &app_;
    ExperimentState &s_;
    CurveStore &store_;
    FormOption &options_;
    FormPlot &plot_;
    PlotPen pen_;
    double decade_ = 1;
    // The frame in axis units: the x values at its left and right edges (reversed when x
    // decreases to the right), its bottom and top.
    double xLeft_ = 0, xRight_ = 1, frameBottom_ = 0, frameTop_ = 1;
    double line_ = 12, pad_ = 6, gap_ = 4; // [px]
    DrawnAxis x_, y_;
    PixelBox frame_;
    PlotArea area_;
    std::vector<PixelPoint> points_;
    std::vector<LegendEntry> legend_;
};

} // namespace

void DrawPlot(Application &app) {
    FormPlot &plot = app.form<FormPlot>();
    if (plot.drawing())
        return;
    FormPlot::DrawingScope scope(plot);
    try {
        PlotDrawing(app, plot).run();
    } catch (const RuntimeError &) {
        // A failure ends the drawing where it happened; what was drawn so far stays.
    }
}

} // namespace kemvo
