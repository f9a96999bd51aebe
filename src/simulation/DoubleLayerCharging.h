#pragma once
// The charging current of the double layer, Cdl A [F] in series with the uncompensated
// resistance Ru [ohm], added to the total current of a simulated curve.
//  - The sweep charges it at the constant rate Cdl A v, with the sign of a faradaic current of
//    the same direction of potential change: negative while the potential falls.
//  - The stepped techniques charge it at each potential step dE through Ru, as
//    (dE / Ru) exp(-t / (Ru Cdl A)) at the time t after the step; with Ru = 0 the layer is
//    charged at once and nothing of it remains at the sampling time. DC steps to each point
//    from E start (every drop is renewed) and is sampled at t drop; the normal pulse steps
//    from E start to Ep + E pulse and is sampled at t pulse; the differential pulse subtracts
//    the charging of the step to Ep from the last pulse's level, at t drop - t pulse, from
//    that of the pulse, at t pulse; the square wave subtracts the reverse half-period's
//    (a step of -2 E pulse) from the forward one's (from the last reverse level), both at
//    t pulse.

#include "shell/CurveStore.h"
#include "shell/ExperimentState.h"

namespace kemvo {

// Adds the charging current [A] to store.reactionCurrent(1..pointCount, chargeCount + 1) for
// state.cdl [F/cm^2] > 0 on state.area [cm^2]; resistance is Ru [ohm].
void addCharging(const ExperimentState &state, CurveStore &store, double resistance);

} // namespace kemvo
