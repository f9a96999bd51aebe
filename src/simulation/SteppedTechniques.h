#pragma once
// The programmes of the stepped techniques, shared by the finite-difference engines: each
// engine supplies how it holds a potential for a while (returning the currents of each charge
// step at the end), how it starts a drop from rest, and how it records a point.
//  - DC, normal and differential pulse (techniques 2-4): every point is a new drop from rest.
//    DC samples the end of the drop; normal pulse holds E start for t drop - t pulse and samples
//    the end of the pulse to Ep + E pulse; differential pulse holds Ep for t drop - t pulse and
//    stores the end of the pulse (against the scan on the return sweep) less the end of the hold.
//  - Square wave (technique 5), run on from point to point: the forward half-period
//    Ep + E pulse, then the reverse one Ep - E pulse, each sampled at its end; the net current
//    is forward less reverse.

#include "shell/CurveStore.h"
#include "shell/ExperimentState.h"
#include "simulation/PotentialProgramme.h"

namespace kemvo {

// hold(duration [s], e [V]) -> Currents; restart(); record(p, Currents).
template <class Currents, class Restart, class Hold, class Record>
void runDrops(const ExperimentState &state, const CurveStore &store, int chargeSteps,
              Restart restart, Hold hold, Record record) {
    const double td = state.dropTime;
    const double tp = state.pulseTime;
    for (int p = 1; p <= state.pointCount; ++p) {
        const double ep = store.potential(p);
        restart();
        if (state.technique == 2) {
            record(p, hold(td, ep));
            continue;
        }
        const double base = state.technique == 3 ? state.eStart : ep;
        Currents before{};
        if (td > tp)
            before = hold(td - tp, base);
        if (state.technique == 3) {
            record(p, hold(tp, ep + state.pulseAmplitude));
            continue;
        }
        const Currents after = hold(tp, ep + pulseWithScan(state, p));
        Currents difference{};
        for (int j = 0; j < chargeSteps; ++j)
            difference[j] = after[j] - before[j];
        record(p, difference);
    }
}

template <class Currents, class Hold, class Record>
void runSquareWave(const ExperimentState &state, const CurveStore &store, int chargeSteps,
                   Hold hold, Record record) {
    const double tp = state.pulseTime;
    for (int p = 1; p <= state.pointCount; ++p) {
        const double ep = store.potential(p);
        const double pulse = pulseWithScan(state, p);
        const Currents forward = hold(tp, ep + pulse);
        const Currents reverse = hold(tp, ep - pulse);
        Currents net{};
        for (int j = 0; j < chargeSteps; ++j)
            net[j] = forward[j] - reverse[j];
        record(p, net);
    }
}

} // namespace kemvo
