#include "simulation/DoubleLayerCharging.h"

#include "shell/RuntimeError.h"
#include "simulation/PotentialProgramme.h"

#include <cmath>

namespace kemvo {
namespace {

// [A] What is left at time t [s] of the charging current of a step dE [V] through Ru [ohm]
// into the capacitance [F].
double stepCharging(double step, double t, double resistance, double capacitance) {
    if (!(resistance > 0) || step == 0)
        return 0;
    return checkedFinite(step / resistance * std::exp(-t / (resistance * capacitance)));
}

double sweepCharging(const ExperimentState &state, int i, double capacitance) {
    const double direction = forwardSweep(state, i) ? state.scanSign : -state.scanSign;
    return checkedFinite(direction * capacitance * state.scanRate);
}

double steppedCharging(const ExperimentState &state, const CurveStore &store, int i,
                       double resistance, double capacitance) {
    const double E = store.potential(i);
    const double td = state.dropTime;
    const double tp = state.pulseTime;
    const double pulse = pulseWithScan(state, i);
    auto charging = [&](double step, double t) {
        return stepCharging(step, t, resistance, capacitance);
    };
    switch (state.technique) {
    case 2:
        return charging(E - store.potential(1), td);
    case 3:
        return charging(E + state.pulseAmplitude - state.eStart, tp);
    case 4: {
        const double lastLevel = i == 1 ? E : store.potential(i - 1) + pulseWithScan(state, i - 1);
        return charging(pulse, tp) - charging(E - lastLevel, td - tp);
    }
    case 5: {
        const double lastLevel = i == 1 ? E : store.potential(i - 1) - pulseWithScan(state, i - 1);
        return charging(E + pulse - lastLevel, tp) - charging(-2 * pulse, tp);
    }
    default:
        return 0;
    }
}

} // namespace

void addCharging(const ExperimentState &state, CurveStore &store, double resistance) {
    if (!(state.cdl > 0))
        return;
    const int T = state.chargeCount + 1;
    const double capacitance = checkedFinite(state.cdl * state.area);
    for (int i = 1; i <= state.pointCount; ++i) {
        const double charging = state.technique == 1
                                    ? sweepCharging(state, i, capacitance)
                                    : steppedCharging(state, store, i, resistance, capacitance);
        store.reactionCurrent(i, T) = checkedFinite(store.reactionCurrent(i, T) + charging);
    }
}

} // namespace kemvo
