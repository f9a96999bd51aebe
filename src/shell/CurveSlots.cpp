#include "shell/CurveSlots.h"

namespace kemvo {

void allocateCurveSlot(ExperimentState &state, bool overlapTicked) {
    Int16 slot = 1;
    if (state.fitMode)
        slot = 2;
    else if (overlapTicked && state.curveCount < 5)
        slot = static_cast<Int16>(state.curveCount + 1);
    if (slot == 1)
        state.unweighted.clear();
    state.curveCount = slot;
    state.currentCurve = slot;
    state.simSlot = slot;
    // The new curve holds the quantity as it comes, against potentials as written.
    state.curveHistory[static_cast<std::size_t>(slot)] = {};
    state.curveLabel[static_cast<std::size_t>(slot)].clear();
    state.potentialFactor = 1;
}

} // namespace kemvo
