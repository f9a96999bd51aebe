#include "fitting/GlobalFitReport.h"

#include "display/AxisTicks.h"
#include "fitting/FitCandidates.h"
#include "fitting/FitReport.h"
#include "shell/ReportLine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kemvo {
namespace {

std::string printed(const char *format, double value) {
    char text[40];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void printParameter(TextWindow &window, const GlobalParameter &p) {
    ReportLine line;
    line.text(globalParameterName(p)).nextZone().text(printed("% .7g", p.value)).nextZone();
    if (p.standardError)
        line.text(printed("% .3g", *p.standardError));
    else
        line.text("-");
    if (!p.remark.empty())
        line.nextZone().text(p.remark);
    window.print(line);
}

} // namespace

std::string globalParameterName(const GlobalParameter &p) {
    const std::string name = fitCandidateName(p.entry);
    return p.curve < 0 ? name : name + " [" + std::to_string(p.curve + 1) + "]";
}

void printGlobalFitReport(TextWindow &window, const GlobalFitResult &r) {
    window.print(
        "Global fit of " + std::to_string(r.curves.size()) + " curves, " +
        (r.equalWeights ? "equal weights" : "each curve weighted by 1/sigma^2 of its noise"));
    window.print(
        ReportLine().text("Shared").nextZone().text("Value").nextZone().text("Std. error"));
    for (const GlobalParameter &p : r.parameters)
        if (p.curve < 0)
            printParameter(window, p);
    for (std::size_t j = 0; j < r.parameters.size(); ++j)
        for (std::size_t k = j + 1; k < r.parameters.size(); ++k)
            if (j < r.correlation.size() && std::fabs(r.correlation[j][k]) > kStrongCorrelation)
                window.print("strongly correlated: " + globalParameterName(r.parameters[j]) + ", " +
                             globalParameterName(r.parameters[k]) + ": " +
                             printed("%.3f", r.correlation[j][k]));
    for (std::size_t c = 0; c < r.curves.size(); ++c) {
        const GlobalCurveResult &curve = r.curves[c];
        window.print("");
        window.print("Curve " + std::to_string(c + 1) + ": " + curve.label);
        window.print(ReportLine()
                         .text("Points fitted = ")
                         .nextZone()
                         .number(curve.points)
                         .nextZone()
                         .text("noise (A) = ")
                         .nextZone()
                         .text(printed("%.3g", curve.noise)));
        window.print(ReportLine()
                         .text("rms residual (A) = ")
                         .nextZone()
                         .text(printed("%.3g", curve.rmsResidual)));
        for (const GlobalParameter &p : r.parameters)
            if (p.curve == static_cast<int>(c))
                printParameter(window, p);
    }
    window.print("");
    window.print(ReportLine().text("Least square = ").nextZone().number(r.leastSquare));
    window.print(ReportLine().text("Convergence flag = ").nextZone().number(r.flag));
    window.print(convergenceText(r.flag));
    window.print(ReportLine().text("No. of iteration = ").nextZone().number(r.iterations));
    window.print(ReportLine().text("No. of obj. fun. = ").nextZone().number(r.evaluations));
    window.print(ReportLine().text("Curve simulations = ").nextZone().number(r.simulations));
}

void drawGlobalFit(Canvas &canvas, const GlobalFitResult &r) {
    canvas.clear();
    double xLow = INFINITY, xHigh = -INFINITY, yLow = INFINITY, yHigh = -INFINITY;
    for (const GlobalCurveResult &c : r.curves)
        for (std::size_t i = 0; i < c.potential.size(); ++i) {
            xLow = std::min(xLow, c.potential[i]);
            xHigh = std::max(xHigh, c.potential[i]);
            for (double y : {c.measured[i], c.fitted[i]})
                if (std::isfinite(y)) {
                    yLow = std::min(yLow, y);
                    yHigh = std::max(yHigh, y);
                }
        }
    if (!(xHigh > xLow) || !(yHigh > yLow))
        return;
    const double margin = 0.04 * (yHigh - yLow); // the peaks clear of the frame
    yLow -= margin;
    yHigh += margin;
    const UnitPrefix prefix = engineeringPrefix(std::max(std::fabs(yLow), std::fabs(yHigh)));
    const double w = canvas.width();
    const double h = canvas.height();
    const TextExtent digits = canvas.textExtent("-000.00");
    const double left = digits.width + 2 * digits.height, right = 24;
    const double top = 12 + digits.height * (1.2 * static_cast<double>(r.curves.size() + 1) + 1.2);
    const double bottom = 3 * digits.height;
    const double dx = (xHigh - xLow) / (w - left - right);
    const double dy = (yHigh - yLow) / (h - top - bottom);
    // User coordinates: the frame spans the data, the room around it in pixels.
    canvas.scale(xLow - left * dx, yHigh + top * dy, xHigh + right * dx, yLow - bottom * dy);
    canvas.setColor(kForegroundColor);
    canvas.setDash(Dash::Solid);
    canvas.rectangle(xLow, yHigh, xHigh, yLow);
    const AxisTicks xt = niceTicks(xLow, xHigh, 60 * dx, 8);
    for (double x : xt.values) {
        canvas.line(x, yLow, x, yLow + 6 * dy);
        const std::string label = tickLabel(x, xt.step, UnitPrefix{});
        canvas.text(x - 0.5 * canvas.textExtent(label).width * dx, yLow - 4 * dy, label);
    }
    const AxisTicks yt = niceTicks(yLow, yHigh, 30 * dy, 8);
    for (double y : yt.values) {
        canvas.line(xLow, y, xLow + 6 * dx, y);
        const std::string label = tickLabel(y, yt.step, prefix);
        canvas.text(xLow - (canvas.textExtent(label).width + 6) * dx, y + 0.5 * digits.height * dy,
                    label);
    }
    const std::string xCaption = "E / V";
    canvas.text(0.5 * (xLow + xHigh) - 0.5 * canvas.textExtent(xCaption).width * dx,
                yLow - (4 + 1.3 * digits.height) * dy, xCaption);
    canvas.text(xLow - left * dx + 4 * dx, yHigh + (top - 4) * dy, "I / " + prefix.symbol + "A");
    const double keyY =
        yHigh + (top - 6 - digits.height * 1.2 * static_cast<double>(r.curves.size() + 1)) * dy;
    canvas.text(xLow + 8 * dx, keyY, "markers: measured, lines: fit");
    for (std::size_t c = 0; c < r.curves.size(); ++c) {
        const GlobalCurveResult &curve = r.curves[c];
        const int colour = curveColor(static_cast<int>(c % 5) + 1);
        const Marker shape = static_cast<Marker>(c / 5 % 5);
        canvas.setColor(colour);
        canvas.setDash(Dash::Solid);
        const std::size_t n = curve.potential.size();
        const std::size_t every = std::max<std::size_t>(1, n / 120);
        for (std::size_t i = 0; i < n; i += every)
            canvas.marker(curve.potential[i], curve.measured[i], shape, false);
        canvas.setDash(c >= 5 ? Dash::Dashed : Dash::Solid);
        bool started = false;
        for (std::size_t i = 0; i < n; ++i) {
            if (!std::isfinite(curve.fitted[i])) {
                started = false;
                continue;
            }
            if (!started)
                canvas.point(curve.potential[i], curve.fitted[i]);
            else
                canvas.lineTo(curve.potential[i], curve.fitted[i]);
            started = true;
        }
        // The legend above the frame: the marker, the line and the curve's label.
        const double ly = yHigh + (top - 6 - digits.height * 1.2 * static_cast<double>(c + 1)) * dy;
        const double lx = xLow;
        canvas.marker(lx + 8 * dx, ly - 0.5 * digits.height * dy, shape, false);
        canvas.line(lx + 20 * dx, ly - 0.5 * digits.height * dy, lx + 44 * dx,
                    ly - 0.5 * digits.height * dy);
        canvas.setColor(kForegroundColor);
        std::string legend = curve.label;
        if (curve.scanRate > 0)
            legend += ", " + printed("%.4g", curve.scanRate) + " V/s";
        canvas.text(lx + 50 * dx, ly, legend);
    }
    canvas.setDash(Dash::Solid);
}

} // namespace kemvo
