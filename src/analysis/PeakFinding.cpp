#include "analysis/PeakFinding.h"

#include "shell/Application.h"
#include "shell/ReportLine.h"
#include "shell/RuntimeError.h"

#include <algorithm>
#include <cmath>

namespace kemvo {
namespace {

constexpr double kNicholsonSwitchingWeight = 0.485;
constexpr double kNicholsonOffset = 0.086;

class AbsoluteCurve {
public:
    AbsoluteCurve(const CurveStore &store, int curve) : store_(store), curve_(curve) {}
    double y(int i) const { return store_.curves(i, curve_); }
    double operator()(int i) const { return std::fabs(y(i)); }

private:
    const CurveStore &store_;
    int curve_;
};

bool isPeak(const AbsoluteCurve &A, int i, double threshold) {
    const bool coarse = A(i - 2) > A(i - 4) && A(i + 2) > A(i + 4);
    const bool fine = A(i - 1) > A(i - 2) && A(i + 1) > A(i + 2);
    const bool top = A(i) >= A(i - 1) && A(i) >= A(i + 1);
    return coarse && fine && top && A(i) > threshold;
}

void collectPeaks(const AbsoluteCurve &A, const CurveStore &store, int from, int to,
                  double threshold, CurvePeaks &found, int &count) {
    for (int i = from; i <= to; ++i) {
        if (!isPeak(A, i, threshold))
            continue;
        ++count;
        if (count <= kMostPeaksShown)
            found.peaks.push_back({store.potential(i), A.y(i)});
        else
            found.moreThanShown = true;
    }
}

double sum(const AbsoluteCurve &A, int from, int to, bool absolute) {
    double total = 0;
    for (int i = from; i <= to; ++i)
        total += absolute ? A(i) : A.y(i);
    return total;
}

void printCurve(TextWindow &result, int curve, const CurvePeaks &found) {
    result.print(ReportLine().text("Curve ").number(curve).text(":"));
    for (std::size_t k = 0; k < found.peaks.size(); ++k) {
        result.print(ReportLine()
                         .text("Peak ")
                         .number(static_cast<double>(k + 1))
                         .text(":")
                         .nextZone()
                         .text("Ep = ")
                         .number(found.peaks[k].potential)
                         .nextZone()
                         .text("Ip = ")
                         .number(found.peaks[k].value));
    }
    if (found.moreThanShown)
        result.print("more than 20 peaks; the first 20 are shown");
    if (found.ratio && found.separation) {
        result.print(ReportLine().text("I pc/I pa = ").number(*found.ratio));
        result.print(ReportLine().text("Ep2 - Ep1 = ").number(*found.separation));
    }
    result.print(ReportLine().text("Peak Area = ").nextZone().number(found.area));
}

} // namespace

PeakSearch peakSearchOf(const ExperimentState &state, const CurveStore &store, int a, int b) {
    PeakSearch search;
    search.first = a;
    search.last = b;
    const int S = state.pointsPerSweep;
    if (state.cycles >= 1 && S > a && S < b) {
        search.switching = S;
        search.oneCycle = state.technique == 1 && state.cycles == 1;
    }
    search.threshold = 0.02 * std::fabs(state.yMin - state.yMax);
    // The curve's own step: an imported curve's reaches the state only at the next intake.
    if (a >= 0 && a < kMaxPoints)
        search.potentialStep = std::fabs(store.potential(a + 1) - store.potential(a));
    return search;
}

CurvePeaks findPeaks(const CurveStore &store, int curve, const PeakSearch &search) {
    const AbsoluteCurve A(store, curve);
    const int a = search.first;
    const int b = search.last;
    const int S = search.switching;
    CurvePeaks found;
    int count = 0;
    if (S == 0) {
        collectPeaks(A, store, a + 4, b - 4, search.threshold, found, count);
        found.area = search.potentialStep * sum(A, a, b, true);
    } else {
        collectPeaks(A, store, a + 4, S - 4, search.threshold, found, count);
        collectPeaks(A, store, S + 4, b - 4, search.threshold, found, count);
        // The switching point counts in both sweeps.
        found.area = search.potentialStep * (sum(A, a, S, false) - sum(A, S, b, false));
        if (search.oneCycle && count == 2) {
            const Peak &forward = found.peaks[0];
            const Peak &reverse = found.peaks[1];
            found.ratio = std::fabs(reverse.value / forward.value) +
                          kNicholsonSwitchingWeight * std::fabs(A.y(S) / forward.value) +
                          kNicholsonOffset;
            found.separation = reverse.potential - forward.potential;
        }
    }
    checkedFinite(found.area);
    return found;
}

void FindPeak(Application &app, int a, int b) {
    const ExperimentState &state = app.state();
    const CurveStore &store = app.store();
    TextWindow &result = app.formResult();
    result.show();
    const PeakSearch search = peakSearchOf(state, store, a, b);
    for (int j = 1; j <= state.curveCount; ++j)
        printCurve(result, j, findPeaks(store, j, search));
}

} // namespace kemvo
