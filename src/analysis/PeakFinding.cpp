#include "analysis/PeakFinding.h"

#include "display/FormOption.h"
#include "shell/Application.h"
#include "shell/NumberText.h"
#include "shell/ReportLine.h"
#include "shell/RuntimeError.h"
#include "simulation/DisplayedQuantity.h"

#include <algorithm>
#include <cmath>

namespace kemvo {
namespace {

constexpr double kNicholsonSwitchingWeight = 0.485;
constexpr double kNicholsonOffset = 0.086;

std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

double area(const CurveStore &store, int curve, const CurveSearch &found, double step) {
    double total = 0;
    if (found.sweeps.size() == 1) {
        for (double y : found.sweeps.front().y)
            total += std::fabs(y);
    } else {
        for (std::size_t k = 0; k < found.sweeps.size(); ++k) {
            const CurveSweep &sweep = found.sweeps[k].sweep;
            double sum = 0;
            for (int i = sweep.first; i <= sweep.last; ++i)
                sum += store.curves(i, curve);
            total += k % 2 == 0 ? sum : -sum;
        }
    }
    return checkedFinite(step * total);
}

std::vector<const FoundPeak *> peaksOf(const CurveSearch &found, std::size_t sweep) {
    std::vector<const FoundPeak *> peaks;
    for (const FoundPeak &peak : found.peaks)
        if (peak.sweep == static_cast<int>(sweep))
            peaks.push_back(&peak);
    return peaks;
}

int local(const SweepData &data, const FoundPeak &peak) {
    return peak.point - data.sweep.first;
}

// The baselines of every peak: a forward sweep's peaks from its foot line; the peaks of a sweep
// back from the forward current's decay after its last peak, or, when the forward sweep has
// no peak, from their own foot.
void measureFromBaselines(const CurveSearch &found, const std::optional<BaselineRange> &typed,
                          std::vector<Peak> &peaks) {
    std::vector<FootLine> feet(found.sweeps.size());
    auto footOf = [&](std::size_t k, const std::vector<const FoundPeak *> &onSweep) {
        if (!feet[k].line && feet[k].why.empty())
            feet[k] = footLine(found.sweeps[k], local(found.sweeps[k], *onSweep.front()),
                               found.noise, typed);
        return feet[k];
    };
    std::size_t index = 0;
    for (std::size_t k = 0; k < found.sweeps.size(); ++k) {
        const SweepData &data = found.sweeps[k];
        const std::vector<const FoundPeak *> onSweep = peaksOf(found, k);
        if (onSweep.empty())
            continue;
        std::optional<ForwardDecay> decay;
        std::string why;
        const bool back = k % 2 == 1 && !peaksOf(found, k - 1).empty();
        if (back) {
            const std::vector<const FoundPeak *> before = peaksOf(found, k - 1);
            const SweepData &forward = found.sweeps[k - 1];
            const FootLine foot = footOf(k - 1, before);
            if (foot.line) {
                const double background = (*foot.line)(forward.E.back());
                decay = forwardDecay(forward, local(forward, *before.back()), background, data,
                                     std::max(1, found.halfWidth));
                why = decay ? "" : "no forward decay";
            } else {
                why = "no forward baseline";
            }
        }
        const FootLine foot = back ? FootLine{} : footOf(k, onSweep);
        for (std::size_t p = 0; p < onSweep.size() && index < peaks.size(); ++p, ++index) {
            Peak &peak = peaks[index];
            if (back && decay)
                peak.fromBaseline = peak.value - (*decay)(data.tauAt(peak.potential));
            else if (!back && foot.line)
                peak.fromBaseline = peak.value - (*foot.line)(peak.potential);
            else
                peak.noBaseline = back ? why : foot.why;
            if (peak.fromBaseline)
                checkedFinite(*peak.fromBaseline);
        }
    }
}

void addCycles(const CurveStore &store, int curve, const CurveSearch &found, CurvePeaks &result) {
    int number = 0; // peaks before the cycle's forward sweep
    for (std::size_t k = 0; k + 1 < found.sweeps.size(); k += 2) {
        const auto forward = peaksOf(found, k);
        const auto reverse = peaksOf(found, k + 1);
        const int first = number + 1;
        number += static_cast<int>(forward.size() + reverse.size());
        if (forward.size() != 1 || reverse.size() != 1 || number > kMostPeaksShown)
            continue;
        CyclePeaks cycle;
        cycle.forward = first;
        cycle.reverse = first + 1;
        const Peak &fwd = result.peaks[at(first - 1)];
        const Peak &rev = result.peaks[at(first)];
        cycle.separation = rev.potential - fwd.potential;
        if (fwd.fromBaseline && rev.fromBaseline && *fwd.fromBaseline != 0)
            cycle.baselineRatio = checkedFinite(std::fabs(*rev.fromBaseline / *fwd.fromBaseline));
        const double switching = store.curves(found.sweeps[k].sweep.last, curve);
        cycle.nicholsonRatio = checkedFinite(
            std::fabs(rev.value / fwd.value) +
            kNicholsonSwitchingWeight * std::fabs(switching / fwd.value) + kNicholsonOffset);
        result.cycles.push_back(cycle);
    }
}

void printCurve(TextWindow &result, int curve, const CurvePeaks &found) {
    result.print(ReportLine().text("Curve ").number(curve).text(":"));
    if (found.smoothing > 0)
        result.print(ReportLine()
                         .text("Noise = ")
                         .number(found.noise)
                         .nextZone()
                         .text("searched smoothed over ")
                         .number(found.smoothing)
                         .text("points"));
    for (std::size_t k = 0; k < found.peaks.size(); ++k) {
        const Peak &peak = found.peaks[k];
        ReportLine line;
        line.text("Peak ")
            .number(static_cast<double>(k + 1))
            .text(":")
            .nextZone()
            .text("Ep = ")
            .number(peak.potential)
            .nextZone()
            .text("Ip = ")
            .number(peak.value)
            .nextZone()
            .text("Ip (baseline) = ");
        if (peak.fromBaseline)
            line.number(*peak.fromBaseline);
        else
            line.text("n/a (" + peak.noBaseline + ")");
        result.print(line);
    }
    if (found.moreThanShown)
        result.print("more than 20 peaks; the first 20 are shown");
    for (const CyclePeaks &cycle : found.cycles) {
        const std::string r = std::to_string(cycle.reverse), f = std::to_string(cycle.forward);
        result.print(ReportLine().text("Ep" + r + " - Ep" + f + " = ").number(cycle.separation));
        ReportLine ratio;
        ratio.text("Ip rev/Ip fwd (baseline) = ");
        if (cycle.baselineRatio)
            ratio.number(*cycle.baselineRatio);
        else
            ratio.text("n/a (no baseline)");
        result.print(ratio);
        result.print(
            ReportLine().text("Ip rev/Ip fwd (Nicholson) = ").number(cycle.nicholsonRatio));
    }
    result.print(ReportLine().text("Peak Area = ").nextZone().number(found.area));
}

} // namespace

CurvePeaks findPeaks(const CurveStore &store, int curve, const PeakSearch &search,
                     const std::optional<BaselineRange> &typed) {
    const CurveSearch found = searchPeaks(store, curve, search);
    CurvePeaks result;
    result.noise = found.noise;
    result.smoothing = found.halfWidth > 0 ? 2 * found.halfWidth + 1 : 0;
    for (const FoundPeak &peak : found.peaks) {
        if (result.peaks.size() == kMostPeaksShown) {
            result.moreThanShown = true;
            break;
        }
        result.peaks.push_back({peak.potential, peak.value, std::nullopt, ""});
    }
    measureFromBaselines(found, typed, result.peaks);
    addCycles(store, curve, found, result);
    result.area = found.sweeps.empty() ? 0 : area(store, curve, found, search.potentialStep);
    return result;
}

std::optional<BaselineRange> typedBaselineRange(Application &app) {
    FormOption &options = app.form<FormOption>();
    if (options.BaselineAuto.checked())
        return std::nullopt;
    auto value = [](const TextBox &box, const std::string &caption) {
        if (!isNumber(box.text()))
            throw RuntimeError(caption + ": \"" + box.text() + "\" is not a number");
        return strictValue(box.text());
    };
    return BaselineRange{value(options.BaseFromText, options.LabelBaseFrom.caption()),
                         value(options.BaseToText, options.LabelBaseTo.caption())};
}

void FindPeak(Application &app, int a, int b) {
    const ExperimentState &state = app.state();
    const CurveStore &store = app.store();
    TextWindow &result = app.formResult();
    result.show();
    const std::optional<BaselineRange> typed = typedBaselineRange(app);
    const std::string quantity = displayedQuantityChoice(app);
    for (int j = 1; j <= state.curveCount; ++j)
        printCurve(result, j,
                   findPeaks(store, j, peakSearchOf(state, store, a, b, quantity, j), typed));
}

} // namespace kemvo
