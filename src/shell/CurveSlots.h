#pragma once
// Which column of `curves` a new curve (a simulation or an import) is given.

#include "shell/ExperimentState.h"

namespace kemvo {

// A fit always works in column 2. Otherwise, with overlap ticked and fewer than five curves
// held, the new curve is one more; else the store restarts with a single curve in column 1.
// Writes curveCount, currentCurve and simSlot, and forgets the name, the transforms and the
// scalings of that column and the scalings of the potentials.
void allocateCurveSlot(ExperimentState &state, bool overlapTicked);

} // namespace kemvo
