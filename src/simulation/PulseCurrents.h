#pragma once
// Currents of the pulse techniques in the analytical simulation, for one couple A + ne = B, in
// the units of the step functions of AnalyticalCurrents.h (per F * area * 1e-3, reduction
// positive).
//
// Each pulse waveform is a sequence of potential steps applied to a solution at rest.
//
// Reversible couple (kf/sqrt(Dox) + kb/sqrt(Dred) at least 1e3/sqrt(tp) at every potential
// of the waveform): the current is the superposition of the single-step currents, a step at
// t_k from E_{k-1} to E_k adding S(E_k, t - t_k) - S(E_{k-1}, t - t_k), with S the reversible
// limit of StepCurrentPlanar or StepCurrentSpherical. At a plane this is exact for any D
// (S = n sqrt(Dox) F(E)/sqrt(pi t), F(E) = (Cox - th Cred)/(1 + th sqrt(Dox/Dred)),
// th = exp(n f (E - E0)), linear in the step's change of F); at a sphere it is exact for
// equal D (Bard and Faulkner, 5.2 and 7.3; Oldham and Myland, Fundamentals of
// Electrochemical Science, ch. 13).
//
// Slower kinetics: each step's kinetics act on the surface concentrations the earlier steps
// left, which no sum of single-step currents describes (it errs by 7-16 % of a differential-
// pulse or square-wave peak at ks sqrt(tp/D) = 0.7, by 50-150 % at 0.07). The current is then
// the solution of the integral equation of the same transport, with I(t) the convolution of
// the flux with 1/sqrt(pi t): the surface holds Cox - I/Dox of A and Cred + I/Dred of B, and
// the Butler-Volmer flux of those concentrations is the flux (Nicholson and Olmstead, in
// Electrochemistry: Calculations, Simulation and Instrumentation, 1972). It is solved on
// sub-steps that grow geometrically from every change of potential, good to 0.3 % of a
// differential-pulse and 0.5 % of a square-wave peak. For one step from rest the equation's
// solution is the single-step current, which the sub-steps reproduce to about 0.1 %.
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
