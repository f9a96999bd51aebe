#include "analysis/PeakSearch.h"

#include "numerics/LocalPolynomial.h"
#include "simulation/DisplayedQuantity.h"

#include <algorithm>
#include <cmath>

namespace kemvo {
namespace {

// The noise: residuals of local quartics through 7 points, whose remainder h^6 y^(6) leaves
// even a 5 mV staircase across a 26 mV wave far below its noise.
constexpr int kNoiseHalfWidth = 3;
constexpr int kNoiseDegree = 4;
constexpr double kNoiseMultiple = 5;        // a peak stands out by more than 5 sigma
constexpr double kSmoothedNoiseShare = 0.1; // smoothed noise at most a tenth of the threshold
constexpr double kTopShare = 0.1;           // the parabola spans the top 10 % of the prominence

std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

SweepData readSweep(const CurveStore &store, int curve, const CurveSweep &sweep, double tau0) {
    SweepData data;
    data.sweep = sweep;
    double tau = tau0;
    for (int i = sweep.first; i <= sweep.last; ++i) {
        if (i > sweep.first)
            tau += std::fabs(store.potential(i) - store.potential(i - 1));
        data.E.push_back(store.potential(i));
        data.tau.push_back(tau);
        data.y.push_back(store.curves(i, curve));
    }
    return data;
}

int orientationOf(const SweepData &data, const PeakSearch &search) {
    if (search.wavesBySweepDirection)
        return search.sign < 0 ? -data.sweep.direction : data.sweep.direction;
    std::vector<double> sorted = data.y;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted[sorted.size() / 2];
    return sorted.back() - median >= median - sorted.front() ? 1 : -1;
}

double pooledNoise(const std::vector<SweepData> &sweeps) {
    std::vector<double> residuals;
    for (const SweepData &data : sweeps) {
        const std::vector<double> r = localFitResiduals(data.y, kNoiseHalfWidth, kNoiseDegree);
        residuals.insert(residuals.end(), r.begin(), r.end());
    }
    return robustDeviation(std::move(residuals));
}

// The narrowest window whose smoothed noise lies a tenth below the threshold, but never wider
// than the widest half-window; 0 when the noise already does.
int smoothingHalfWidth(double noise, double threshold, double step, double widest) {
    const double target = kSmoothedNoiseShare * threshold;
    if (!(noise > target))
        return 0;
    const int most = step > 0 ? std::max(2, static_cast<int>(widest / step)) : 2;
    for (int m = 2; m < most; ++m) {
        const double w0 = localFitWeights(m, m, 2, 0)[at(m)];
        if (noise * std::sqrt(w0) <= target)
            return m;
    }
    return most;
}

// Inner local maxima of s; of a flat top, its middle point. A top that reaches an end of the
// sweep is not one.
std::vector<int> localMaxima(const std::vector<double> &s) {
    std::vector<int> maxima;
    const int n = static_cast<int>(s.size());
    for (int i = 1; i < n - 1;) {
        if (!(s[at(i)] > s[at(i - 1)])) {
            ++i;
            continue;
        }
        int j = i;
        while (j + 1 < n && s[at(j + 1)] == s[at(i)])
            ++j;
        if (j + 1 < n && s[at(j + 1)] < s[at(i)])
            maxima.push_back((i + j) / 2);
        i = j + 1;
    }
    return maxima;
}

// Height above the higher of the lowest points on either side, each side reaching to the
// first higher point or the end of the sweep.
double prominence(const std::vector<double> &s, int c) {
    const double top = s[at(c)];
    double leftLow = top;
    for (int k = c - 1; k >= 0 && s[at(k)] <= top; --k)
        leftLow = std::min(leftLow, s[at(k)]);
    double rightLow = top;
    for (int k = c + 1; k < static_cast<int>(s.size()) && s[at(k)] <= top; ++k)
        rightLow = std::min(rightLow, s[at(k)]);
    return top - std::max(leftLow, rightLow);
}

// Ep and Ip of a peak at point c of the sweep: the point itself on an unsmoothed curve,
// otherwise the vertex of the least-squares parabola through the stored values over the top
// of the peak (at least halfWidth points either side).
void readPeak(const SweepData &data, int c, int halfWidth, FoundPeak &peak) {
    peak.potential = data.E[at(c)];
    peak.value = data.y[at(c)];
    if (halfWidth == 0)
        return;
    const int n = data.size();
    const double floor = data.smooth[at(c)] - kTopShare * peak.prominence;
    int left = c, right = c;
    while (left > 0 && (data.smooth[at(left - 1)] >= floor || c - left < halfWidth))
        --left;
    while (right < n - 1 && (data.smooth[at(right + 1)] >= floor || right - c < halfWidth))
        ++right;
    if (right - left < 2)
        return;
    const auto count = static_cast<std::size_t>(right - left + 1);
    const std::span<const double> E(data.E.data() + left, count);
    const std::span<const double> y(data.y.data() + left, count);
    const auto parabola = fitPolynomial(E, y, 2);
    if (!parabola || !(data.orientation * parabola->coefficients[2] < 0))
        return;
    const double vertex =
        parabola->centre - parabola->coefficients[1] / (2 * parabola->coefficients[2]);
    const auto [low, high] = std::minmax(E.front(), E.back());
    if (!(vertex >= low && vertex <= high))
        return;
    peak.potential = vertex;
    peak.value = (*parabola)(vertex);
}

} // namespace

PeakSearch peakSearchOf(const ExperimentState &state, const CurveStore &store, int a, int b,
                        const std::string &displayedQuantity, int curve) {
    PeakSearch search;
    search.first = a;
    search.last = b;
    search.threshold = 0.02 * std::fabs(state.yMin - state.yMax);
    // The curve's own step: an imported curve's reaches the state only at the next intake.
    if (a >= 0 && a < kMaxPoints)
        search.potentialStep = std::fabs(store.potential(a + 1) - store.potential(a));
    const bool known = curve >= 0 && curve < static_cast<int>(state.curveHistory.size());
    const CurveHistory history = known ? state.curveHistory[at(curve)] : CurveHistory{};
    const bool peakShaped =
        std::all_of(history.operations.begin(), history.operations.end(),
                    [](CurveOperation op) { return op == CurveOperation::SemiDerivative; });
    // A sweep technique, or none yet (a curve imported before any intake).
    const bool sweepTechnique = state.technique <= 1;
    search.wavesBySweepDirection =
        sweepTechnique && displayedQuantity == kShowCurrent && peakShaped;
    search.sign = history.factor < 0 ? -1 : 1;
    search.widestHalfWindow = 0.025 * std::fabs(state.potentialFactor);
    return search;
}

CurveSearch searchPeaks(const CurveStore &store, int curve, const PeakSearch &search) {
    CurveSearch found;
    double tau = 0;
    for (const CurveSweep &sweep : curveSweeps(store, search.first, search.last)) {
        found.sweeps.push_back(readSweep(store, curve, sweep, tau));
        tau = found.sweeps.back().tau.back();
    }
    found.noise = pooledNoise(found.sweeps);
    found.cutoff = std::max(search.threshold, kNoiseMultiple * found.noise);
    for (std::size_t k = 0; k < found.sweeps.size(); ++k) {
        SweepData &data = found.sweeps[k];
        data.orientation = orientationOf(data, search);
        const double step =
            data.size() > 1 ? std::fabs(data.E.back() - data.E.front()) / (data.size() - 1) : 0;
        // One smoothing for the whole curve: the widest any sweep needs.
        found.halfWidth =
            std::max(found.halfWidth, smoothingHalfWidth(found.noise, search.threshold, step,
                                                         search.widestHalfWindow));
    }
    for (std::size_t k = 0; k < found.sweeps.size(); ++k) {
        SweepData &data = found.sweeps[k];
        data.smooth = smoothed(data.y, found.halfWidth);
        for (double &v : data.smooth)
            v *= data.orientation;
        std::vector<FoundPeak> peaks;
        for (int c : localMaxima(data.smooth)) {
            const double p = prominence(data.smooth, c);
            if (p > found.cutoff)
                peaks.push_back({static_cast<int>(k), c, 0, 0, p});
        }
        // One peak per wave: of two within the smoothing window, the higher.
        std::vector<FoundPeak> kept;
        for (const FoundPeak &peak : peaks) {
            const bool twin = std::any_of(peaks.begin(), peaks.end(), [&](const FoundPeak &o) {
                return &o != &peak && std::abs(o.point - peak.point) <= 2 * found.halfWidth &&
                       (data.smooth[at(o.point)] > data.smooth[at(peak.point)] ||
                        (data.smooth[at(o.point)] == data.smooth[at(peak.point)] &&
                         o.point < peak.point));
            });
            if (!twin)
                kept.push_back(peak);
        }
        for (FoundPeak &peak : kept) {
            readPeak(data, peak.point, found.halfWidth, peak);
            peak.point += data.sweep.first;
            found.peaks.push_back(peak);
        }
    }
    return found;
}

} // namespace kemvo
