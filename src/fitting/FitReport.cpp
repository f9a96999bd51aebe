#include "fitting/FitReport.h"

#include "fitting/FitCandidates.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kemvo {
namespace {

std::string printed(const char *format, double value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The table's numbers fit its print zones: the value to 7 significant digits, its error to 3.
std::string tableValue(double value) {
    return printed("% .7g", value);
}
std::string tableError(double value) {
    return printed("% .3g", value);
}

void printBlock(TextWindow &window, const FitSummary &s) {
    window.print(ReportLine()
                     .text("No.")
                     .nextZone()
                     .text("Initial value")
                     .nextZone()
                     .nextZone()
                     .text("Fitted value"));
    for (std::size_t m = 0; m < s.fitted.size(); ++m)
        window.print(ReportLine()
                         .number(static_cast<double>(m + 1))
                         .nextZone()
                         .number(s.start[m])
                         .nextZone()
                         .number(s.fitted[m]));
    window.print("");
    window.print(ReportLine().text("Least square = ").nextZone().number(s.leastSquare));
    window.print(ReportLine().text("Standard deviation^2 = ").nextZone().number(s.dataVar));
    window.print(
        ReportLine().text("Residual standard deviation = ").nextZone().number(s.residualSd));
    window.print(ReportLine().text("rms residual (A) = ").nextZone().number(s.rmsResidual));
    window.print(ReportLine()
                     .text("rms residual (% of largest |I|) = ")
                     .nextZone()
                     .text(printed("%.3g", s.rmsPercent)));
    window.print(ReportLine().text("Convergence flag = ").nextZone().number(s.flag));
    window.print(convergenceText(s.flag));
    window.print(ReportLine().text("No. of iteration = ").nextZone().number(s.iterations));
    window.print(ReportLine().text("No. of obj. fun. = ").nextZone().number(s.evaluations));
    window.print(ReportLine().text("No. of MARQUARDS = ").nextZone().number(s.marquardts));
    window.print(ReportLine().text("Computation time (s) =").nextZone().number(s.seconds));
    window.print("Starts: " + std::to_string(s.starts) +
                 ", at the best least square: " + std::to_string(s.startsAtBest));
}

void printUncertainty(TextWindow &window, const FitSummary &s) {
    window.print("");
    if (!s.uncertaintyEstimated) {
        window.print("Standard errors are not estimated: the fit was stopped.");
        return;
    }
    window.print(ReportLine()
                     .text("Parameter")
                     .nextZone()
                     .text("Value")
                     .nextZone()
                     .text("Std. error")
                     .nextZone()
                     .text("Rel. error (%)"));
    const auto &errors = s.uncertainty.standardError;
    for (std::size_t m = 0; m < s.fitted.size(); ++m) {
        ReportLine line;
        line.text(fitCandidateName(s.fitIndex[m]))
            .nextZone()
            .text(tableValue(s.fitted[m]))
            .nextZone();
        const std::string &remark = m < s.remarks.size() ? s.remarks[m] : std::string();
        if (!errors[m]) {
            window.print(line.text(remark.empty() ? "not determined" : remark));
            continue;
        }
        line.text(tableError(*errors[m]));
        // A standard potential has no relative error: its zero is the reference electrode's.
        if (s.fitted[m] != 0 && !isStandardPotential(s.fitIndex[m]))
            line.nextZone().text(tableError(100 * *errors[m] / std::fabs(s.fitted[m])));
        if (!remark.empty())
            line.nextZone().text(remark);
        window.print(line);
    }
    for (std::size_t j = 0; j < s.fitted.size(); ++j)
        for (std::size_t k = j + 1; k < s.fitted.size(); ++k) {
            double r = s.uncertainty.correlation[j][k];
            if (std::fabs(r) > kStrongCorrelation)
                window.print("strongly correlated: " + fitCandidateName(s.fitIndex[j]) + ", " +
                             fitCandidateName(s.fitIndex[k]) + ": " + printed("%.2f", r));
        }
    std::string stepped;
    for (std::size_t m = 0; m < s.logStepped.size(); ++m)
        if (s.logStepped[m])
            stepped += (stepped.empty() ? "" : ", ") + fitCandidateName(s.fitIndex[m]);
    window.print("Stepped in the logarithm: " + (stepped.empty() ? "none" : stepped));
}

} // namespace

std::string roundedToError(double value, std::optional<double> standardError) {
    int digits = 4;
    if (standardError && *standardError > 0 && value != 0) {
        const double lastDigit = std::floor(std::log10(*standardError)) - 1;
        const double leading = std::floor(std::log10(std::fabs(value)));
        digits = std::max(digits, static_cast<int>(leading - lastDigit + 1));
    }
    digits = std::min(digits, 15);
    char text[40];
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    return text;
}

void printIterationLine(TextWindow &window, double leastSquare) {
    window.print(ReportLine().text("Least square = ").nextZone().number(leastSquare));
}

void printFitReport(TextWindow &window, const FitSummary &summary) {
    printBlock(window, summary);
    printUncertainty(window, summary);
}

} // namespace kemvo
