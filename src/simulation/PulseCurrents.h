#pragma once
// Closed-form currents of the pulse techniques for one couple A + ne = B, in the units of the
// step functions of AnalyticalCurrents.h (per F * area * 1e-3, reduction positive).
//
// Each pulse waveform is a sequence of potential steps applied to a solution at rest. The
// current is the superposition of single-step currents S(E, t) (StepCurrentPlanar or
// StepCurrentSpherical): a step at t_k from E_{k-1} to E_k adds S(E_k, t - t_k) -
// S(E_{k-1}, t - t_k). For a reversible couple this is exact at a plane (any D; S is then
// n sqrt(Dox) F(E)/sqrt(pi t), F(E) = (Cox - th Cred)/(1 + th sqrt(Dox/Dred)),
// th = exp(n f (E - E0)), linear in the step's change of F) and at a sphere with equal D
// (Oldham and Myland, Fundamentals of Electrochemical Science, ch. 13; Bard and Faulkner,
// 5.4 and 7.3). For a single step from rest it is exact for any kinetics. Between the two, a
// quasi-reversible couple under several steps, it is the sum of the kinetic single-step
// currents, which leaves out how the earlier steps' profiles change the later kinetics.
//
// Waveforms, as the finite-difference simulation applies them:
//   normal pulse: rest at the base potential from 0 to td - tp, the pulse from td - tp to td,
//                 sampled at td; every point a new drop.
//   differential pulse: the staircase potential from 0 to td - tp, sampled there, then the
//                 pulse to the staircase potential + dE, sampled at td; the stored value is
//                 the second sample minus the first; every point a new drop.
//   square wave: one continuous run; each point is a forward half-period at the staircase
//                 potential + Esw followed by a reverse one at the staircase potential - Esw,
//                 each tp long and sampled at its end; the net current is the forward sample
//                 minus the reverse one (O'Dea, Osteryoung and Osteryoung, Anal. Chem. 53
//                 (1981) 695).

#include "simulation/AnalyticalCurrents.h"

#include <span>

namespace kemvo {

// One couple A + ne = B in the closed forms' terms.
struct Couple {
    double ks = 0;    // [cm/s] standard heterogeneous rate constant
    double alpha = 0; // transfer coefficient
    double n = 0;     // electron number
    double E0 = 0;    // [V] standard (or apparent standard) potential
    double Cox = 0;   // [mol/L] bulk concentration of A
    double Dox = 0;   // sqrt(D) of A [cm/s^0.5]
    double Cred = 0;  // [mol/L] bulk concentration of B
    double Dred = 0;  // sqrt(D) of B [cm/s^0.5]
};

enum class PulseElectrode { Planar, Spherical };

// Normal pulse from rest at Ebase [V] to Epulse [V]: the current at the end of the pulse.
// Drop time td [s] longer than the pulse time tp [s].
double NormalPulseCurrent(const TransportConditions &c, const Couple &couple,
                          PulseElectrode electrode, double Ebase, double Epulse, double td,
                          double tp);

// Differential pulse at staircase potential E [V] with pulse height dE [V]: the current at the
// end of the pulse minus that at the end of the base period.
double DiffPulseCurrent(const TransportConditions &c, const Couple &couple,
                        PulseElectrode electrode, double E, double dE, double td, double tp);

// Square-wave net currents of a whole run: staircase[i] [V] and pulse[i] [V] (the forward
// half-period's offset Esw, signed) for every point, half-period tp [s]; writes net[i].
void SquareWaveCurrents(const TransportConditions &c, const Couple &couple,
                        PulseElectrode electrode, std::span<const double> staircase,
                        std::span<const double> pulse, double tp, std::span<double> net);

} // namespace kemvo
