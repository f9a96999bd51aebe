#include "simulation/RodEnd.h"

#include "shell/RuntimeError.h"
#include "simulation/GeometryCurrents.h"
#include "simulation/MicrodiscSimulation.h"

#include <memory>

namespace kemvo {

bool isRod(const ExperimentState &state) {
    return state.electrode == 5 || state.electrode == 6;
}

std::function<void(int)> rodPartDone(const std::function<void(int)> &pointDone, int part,
                                     int points) {
    if (!pointDone)
        return {};
    return [&pointDone, part, points](int p) { pointDone((part * points + p + 1) / 2); };
}

void addRodEnd(const ExperimentState &state, int chargeSteps, int species, CurveStore &store,
               double resistance, const std::function<void(int)> &pointDone) {
    ExperimentState endDisc = state;
    endDisc.electrode = 4;
    auto end = std::make_unique<CurveStore>();
    for (int p = 0; p <= state.pointCount; ++p)
        end->potential(p) = store.potential(p);
    runMicrodiscSimulation(endDisc, *end, resistance, pointDone);
    const double share = cylinderEndShare(state.radius, state.length);
    const auto blend = [share](double side, double disc) {
        return checkedFinite((1 - share) * side + share * disc);
    };
    for (int p = 1; p <= state.pointCount; ++p) {
        for (int j = 1; j <= chargeSteps; ++j)
            store.reactionCurrent(p, j) =
                blend(store.reactionCurrent(p, j), end->reactionCurrent(p, j));
        for (int s = 1; s <= species; ++s)
            store.surfaceConc(p, s) = blend(store.surfaceConc(p, s), end->surfaceConc(p, s));
    }
}

} // namespace kemvo
