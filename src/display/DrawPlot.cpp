#include "display/DrawPlot.h"

#include "display/AxisCaption.h"
#include "display/ClipSegment.h"
#include "display/FormOption.h"
#include "display/FormPlot.h"
#include "shell/Application.h"
#include "shell/NumberText.h"
#include "shell/RuntimeError.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace kemvo {
namespace {

// Coordinates reach the canvas as single-precision numbers; a value that has none (too large,
// infinite, not a number) is an overflow, so nothing non-finite is ever painted.
double single(double value) {
    if (!(std::fabs(value) <= FLT_MAX))
        throw RuntimeError(kOverflow);
    return static_cast<float>(value);
}

// Draws on the plot window's picture as it is at each call: showing the window for the first
// time may lend it a new canvas.
class SinglePrecisionPen {
public:
    explicit SinglePrecisionPen(FormPlot &plot) : plot_(plot) {}

    void scale(double left, double top, double right, double bottom) {
        double l = single(left), t = single(top), r = single(right), b = single(bottom);
        if (l == r || t == b)
            throw RuntimeError("Invalid procedure call");
        canvas().scale(l, t, r, b);
    }
    void clear() { canvas().clear(); }
    void point(double x, double y) { canvas().point(single(x), single(y)); }
    void line(double x1, double y1, double x2, double y2) {
        canvas().line(single(x1), single(y1), single(x2), single(y2));
    }
    void lineTo(double x, double y) { canvas().lineTo(single(x), single(y)); }
    void rectangle(double x1, double y1, double x2, double y2) {
        canvas().rectangle(single(x1), single(y1), single(x2), single(y2));
    }
    void text(double x, double y, const std::string &text) {
        canvas().text(single(x), single(y), text);
    }
    void setDashed(bool dashed) { canvas().setDashed(dashed); }
    void setColor(int paletteIndex) { canvas().setColor(paletteIndex); }

private:
    Canvas &canvas() { return plot_.picture(); }
    FormPlot &plot_;
};

// An x label: up to six significant digits, so that 0.6000000000000001 reads 0.6.
std::string plainNumber(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6g", value);
    return generalNumber(std::strtod(buffer, nullptr));
}

// Labels of one side of a grid: every line while they fit, else every n-th line.
constexpr double kMostGridLabelsPerSide = 6;

class PlotDrawing {
public:
    PlotDrawing(Application &app, FormPlot &plot)
        : app_(app), s_(app.state()), store_(app.store()), options_(app.form<FormOption>()),
          plot_(plot), pen_(plot) {}

    void run() {
        ReadPlotOptions(app_);
        plot_.show();
        pen_.clear();
        pen_.setDashed(false);
        pen_.setColor(kForegroundColor);
        bool yAuto = options_.Yauto.checked();
        if (options_.Xauto.checked())
            findXRange();
        if (yAuto)
            findYRange();
        findDecade(yAuto);
        squareWidth_ = 0.01 * (s_.xMax - s_.xMin);
        squareHeight_ = 0.01 * (s_.yMax - s_.yMin);
        if (s_.xMax - s_.xMin == 0 || s_.yMax - s_.yMin == 0) {
            app_.showMessage("Error: No data!");
            return;
        }
        setVisibleArea(yAuto);
        drawYAxisTexts();
        drawZeroLine();
        if (options_.CheckXdir.checked())
            scaleX(1.2 * s_.xMax, 1.2 * s_.xMin);
        pen_.rectangle(s_.xMin, s_.yMin, s_.xMax, s_.yMax);
        drawXAxisTexts();
        for (int k = 1; k <= s_.curveCount; ++k)
            drawCurve(k);
        if (s_.gridOn)
            drawGrid();
        if (s_.curveCount > 1)
            drawLegend();
    }

private:
    void findXRange() {
        double high = store_.potential(s_.firstPoint);
        double low = store_.potential(s_.lastPoint);
        for (int i = s_.firstPoint; i <= s_.lastPoint; ++i) {
            double x = store_.potential(i);
            if (x > high)
                high = x;
            if (x < low)
                low = x;
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
                if (y > high)
                    high = y;
                if (y < low)
                    low = y;
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

    // n of the decade 10^n <= value < 10^(n+1) of a positive value, within the doubles' range.
    static int decadeExponentOf(double value) {
        return std::max(-300, static_cast<int>(std::floor(std::log10(value))));
    }

    // The margins above and below the frame hold the captions and the x labels: a decade of
    // the data with Y auto, a fifth of the typed range without it (so that the whole frame and
    // its labels stay visible also for limits of either sign).
    void setVisibleArea(bool yAuto) {
        if (yAuto) {
            if (s_.yMax <= 0)
                s_.yMax = decade_;
            margin_ = decade_;
        } else {
            margin_ = std::fabs(s_.yMax - s_.yMin) / 5;
        }
        top_ = s_.yMax + margin_;
        bottom_ = s_.yMin - 1.5 * margin_;
        left_ = 1.2 * s_.xMin;
        scaleX(left_, 1.2 * s_.xMax);
    }

    void scaleX(double left, double right) {
        pen_.scale(left, top_, right, bottom_);
        scaledLeft_ = left;
        scaledRight_ = right;
    }

    // A point of the visible area given as fractions of its width and height from the
    // top-left corner, whichever way the x axis runs.
    double xAt(double fraction) const {
        return scaledLeft_ + fraction * (scaledRight_ - scaledLeft_);
    }
    double yAt(double fraction) const { return top_ + fraction * (bottom_ - top_); }

    void drawYAxisTexts() {
        std::string caption = yAxisCaption(options_.ComboY.text(), currentHistory());
        if (!caption.empty())
            pen_.text(left_, top_, caption);
        pen_.text(left_, 1.05 * s_.yMax, formatNumber(s_.yMax, "0.#E-0"));
        pen_.text(left_, 0.95 * s_.yMin, formatNumber(s_.yMin, "0.#E-0"));
    }

    void drawZeroLine() {
        if (!(s_.yMin < 0 && s_.yMax > 0))
            return;
        pen_.setDashed(true);
        pen_.line(s_.xMin, 0, s_.xMax, 0);
        pen_.setDashed(false);
        pen_.text(left_, 0, "0");
    }

    const CurveHistory &currentHistory() const {
        static const CurveHistory asDerived;
        int k = s_.currentCurve;
        if (k < 0 || k >= static_cast<int>(s_.curveHistory.size()))
            return asDerived;
        return s_.curveHistory[static_cast<std::size_t>(k)];
    }

    double xLabelTop() const { return s_.yMin - margin_ / 8; }

    void drawXAxisTexts() {
        pen_.text(s_.xMin, xLabelTop(), plainNumber(s_.xMin));
        pen_.text(0, xLabelTop(), "0");
        pen_.text(s_.xMax, xLabelTop(), plainNumber(s_.xMax));
        pen_.text((s_.xMin + s_.xMax) / 2, s_.yMin - margin_, xAxisCaption(s_.potentialFactor));
    }

    Int16 lineStyleOf(int k) const {
        if (k < 0 || k >= static_cast<int>(s_.lineStyle.size()))
            throw RuntimeError(kSubscriptOutOfRange);
        return s_.lineStyle[static_cast<std::size_t>(k)];
    }

    // Fixed limits may cut the curves: what lies outside the frame is not drawn, so that it
    // cannot cover the labels and captions around it.
    bool insideFrame(double x, double y) const {
        return std::fmin(s_.xMin, s_.xMax) <= x && x <= std::fmax(s_.xMin, s_.xMax) &&
               std::fmin(s_.yMin, s_.yMax) <= y && y <= std::fmax(s_.yMin, s_.yMax);
    }

    bool clipToFrame(double &ax, double &ay, double &bx, double &by) const {
        return clipSegment(ax, ay, bx, by, std::fmin(s_.xMin, s_.xMax), std::fmax(s_.xMin, s_.xMax),
                           std::fmin(s_.yMin, s_.yMax), std::fmax(s_.yMin, s_.yMax));
    }

    void drawCurve(int k) {
        switch (lineStyleOf(k)) {
        case 1:
            for (int i = s_.firstPoint; i <= s_.lastPoint; ++i)
                if (insideFrame(store_.potential(i), store_.curves(i, k))) {
                    // A point the fit did not weigh is grey.
                    if (unweighted(k, i))
                        pen_.setColor(kUnweightedColor);
                    pen_.point(store_.potential(i), store_.curves(i, k));
                    if (unweighted(k, i))
                        pen_.setColor(kForegroundColor);
                }
            break;
        case 2:
            for (int i = s_.firstPoint; i <= s_.lastPoint; ++i)
                if (insideFrame(store_.potential(i), store_.curves(i, k)))
                    drawSquare(store_.potential(i), store_.curves(i, k));
            break;
        case 3:
            drawConnected(k);
            break;
        default:
            break;
        }
    }

    void drawSquare(double centreX, double centreY) {
        double x = centreX - squareWidth_ / 2;
        double y = centreY - squareHeight_ / 2;
        pen_.rectangle(x, y, x + squareWidth_, y + squareHeight_);
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
                // The part of a measured curve that the fit did not weigh is drawn dashed.
                const bool dashed = unweighted(k, i - 1) || unweighted(k, i);
                if (dashed)
                    pen_.setDashed(true);
                if (!penAtPoint || ax != x0 || ay != y0 || dashed)
                    pen_.point(ax, ay);
                pen_.lineTo(bx, by);
                if (dashed)
                    pen_.setDashed(false);
            }
            penAtPoint = shown && bx == x1 && by == y1;
            x0 = x1;
            y0 = y1;
        }
    }

    // Spacing close to 0.1 V (vertical lines) or to the decade (horizontal lines) that divides
    // the limit evenly. A limit that rounds to no whole number of spacings stops the grid; on
    // a range that would need more than kMaxGridLines lines, ten spacings divide it, so that
    // the grid never paints the plot solid.
    static double gridSpacing(double limit, double spacings) {
        constexpr int kMaxGridLines = 20;
        const int count = std::fabs(spacings) > kMaxGridLines ? (spacings > 0 ? 10 : -10)
                                                              : roundToInt16(spacings);
        return checkedDivide(limit, count);
    }

    // Right of zero, left of zero, below zero, above zero: a spacing that cannot be formed
    // leaves out its own lines and those of every later loop.
    void drawGrid() {
        pen_.setColor(kDarkRed);
        pen_.setDashed(true);
        double right = gridSpacing(s_.xMax, 10 * s_.xMax);
        for (int j = 0; j * right < s_.xMax; ++j) {
            pen_.line(j * right, s_.yMin, j * right, s_.yMax);
            labelVerticalLine(j, right, s_.xMax);
        }
        double left = gridSpacing(s_.xMin, 10 * s_.xMin);
        for (int j = 0; - j * left > s_.xMin; ++j) {
            pen_.line(-j * left, s_.yMin, -j * left, s_.yMax);
            labelVerticalLine(-j, left, s_.xMin);
        }
        double below = gridSpacing(s_.yMin, s_.yMin / decade_);
        for (int j = 0; - j * below > s_.yMin; ++j) {
            pen_.line(s_.xMin, -j * below, s_.xMax, -j * below);
            labelHorizontalLine(-j, below, s_.yMin);
        }
        double above = gridSpacing(s_.yMax, s_.yMax / decade_);
        for (int j = 0; j * above < s_.yMax; ++j) {
            pen_.line(s_.xMin, j * above, s_.xMax, j * above);
            labelHorizontalLine(j, above, s_.yMax);
        }
        pen_.setDashed(false);
        pen_.setColor(kForegroundColor);
    }

    // Which lines of a grid side carry their value: all while at most a handful fit between
    // zero and the limit, else every n-th, so that the labels never run into each other.
    // Zero is labelled with the axes already.
    static bool labelled(int j, double spacing, double limit) {
        int every =
            static_cast<int>(std::ceil(std::fabs(limit / spacing) / kMostGridLabelsPerSide));
        return j != 0 && j % std::max(every, 1) == 0;
    }

    // The value of a vertical grid line, in the row of the x labels.
    void labelVerticalLine(int j, double spacing, double limit) {
        if (labelled(j, spacing, limit))
            pen_.text(j * std::fabs(spacing), xLabelTop(), plainNumber(j * std::fabs(spacing)));
    }

    // The value of a horizontal grid line, at the left edge with the other y labels.
    void labelHorizontalLine(int j, double spacing, double limit) {
        if (labelled(j, spacing, limit))
            pen_.text(xAt(0), j * std::fabs(spacing),
                      formatNumber(j * std::fabs(spacing), "0.#E-0"));
    }

    // Overlapped curves: along the top edge, each curve's number beside a sample of its style.
    void drawLegend() {
        constexpr double kFirst = 0.6, kWidth = 0.08; // [fraction of the visible width]
        for (int k = 1; k <= s_.curveCount; ++k) {
            double at = kFirst + (k - 1) * kWidth;
            pen_.text(xAt(at), yAt(0), std::to_string(k));
            drawStyleSample(lineStyleOf(k), xAt(at + 0.02), xAt(at + 0.065), yAt(0.025));
        }
    }

    void drawStyleSample(int style, double from, double to, double y) {
        switch (style) {
        case 1:
            for (int i = 0; i <= 4; ++i)
                pen_.point(from + i * (to - from) / 4, y);
            break;
        case 2:
            for (int i = 0; i <= 2; ++i)
                drawSquare(from + i * (to - from) / 2, y);
            break;
        case 3:
            pen_.line(from, y, to, y);
            break;
        default:
            break;
        }
    }

    Application &app_;
    ExperimentState &s_;
    CurveStore &store_;
    FormOption &options_;
    FormPlot &plot_;
    SinglePrecisionPen pen_;
    double decade_ = 1;
    double squareWidth_ = 0;
    double squareHeight_ = 0;
    double margin_ = 1;
    double left_ = 0;
    double scaledLeft_ = 0;
    double scaledRight_ = 1;
    double top_ = 0;
    double bottom_ = 0;
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
