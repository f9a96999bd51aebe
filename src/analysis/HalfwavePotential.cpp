#include "analysis/HalfwavePotential.h"

#include "analysis/PeakSearch.h"
#include "shell/Application.h"
#include "shell/ReportLine.h"
#include "shell/RuntimeError.h"
#include "simulation/DisplayedQuantity.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kemvo {

HalfWave findHalfwave(const CurveStore &store, int curve, int n) {
    HalfWave wave;
    if (n < 1)
        return wave;
    std::vector<double> A(static_cast<std::size_t>(n) + 1);
    for (int i = 1; i <= n; ++i)
        A[static_cast<std::size_t>(i)] = std::fabs(store.curves(i, curve));
    const double highest = *std::max_element(A.begin() + 1, A.end());
    const double lowest = *std::min_element(A.begin() + 1, A.end());
    wave.height = checkedFinite(highest - lowest);
    const double half = wave.height / 2;
    for (int i = 1; i <= n; ++i) {
        const double rise = A[static_cast<std::size_t>(i)] - lowest;
        if (rise >= 0.95 * half && rise <= 1.05 * half) {
            wave.potential = store.potential(i);
            break;
        }
    }
    return wave;
}

void FindHalfwaveE(Application &app) {
    const ExperimentState &state = app.state();
    TextWindow &result = app.formResult();
    result.show();
    const int n = std::min<int>(state.pointCount, kMaxPoints);
    const std::string quantity = displayedQuantityChoice(app);
    for (int j = 1; j <= state.curveCount; ++j) {
        HalfWave wave = findHalfwave(app.store(), j, n);
        wave.peaked =
            !searchPeaks(app.store(), j, peakSearchOf(state, app.store(), 1, n, quantity, j))
                 .peaks.empty();
        ReportLine line;
        line.text("Peak ").number(j).text(": ").nextZone().text(wave.peaked ? "Ep/2 = "
                                                                            : "E1/2 = ");
        if (wave.potential)
            line.number(*wave.potential);
        else
            line.text("not found");
        line.nextZone().text(wave.peaked ? "Peak height = " : "Id = ");
        result.print(line.number(wave.height));
    }
}

} // namespace kemvo
