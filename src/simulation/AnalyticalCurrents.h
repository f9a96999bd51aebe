#pragma once
// Closed-form currents of one charge-transfer step A + ne = B under Butler-Volmer kinetics,
// for the analytical simulation. Each current is per F * area * 1e-3: the driver multiplies
// by F [C/mol] * area [cm^2] * 0.001 [L/cm^3], which turns concentrations in mol/L into
// amperes.
//
// Common arguments, in this order:
//   E     [V]      electrode potential
//   ks    [cm/s]   standard heterogeneous rate constant
//   alpha          transfer coefficient
//   n              electron number
//   E0    [V]      standard (or apparent standard) potential
//   Cox   [mol/L]  bulk concentration of the oxidised form
//   Dox   transport factor of the oxidised form: sqrt(D) [cm/s^0.5] for the step and pulse
//         functions, D itself [cm^2/s] for the rotating disk
//   t     [s]      time at which the current is sampled
//   td    [s]      drop time (not used)
//   Cred  [mol/L]  bulk concentration of the reduced form
//   Dred  transport factor of the reduced form, as Dox
//   X     [V]      a further potential (not used)
// With phi = n f (E - E0): kf = ks exp(-alpha phi) reduces, kb = ks exp((1 - alpha) phi)
// oxidises, and K = n (kf Cox - kb Cred), so a reduction current is positive here; the
// simulation driver turns the sign round to store oxidation positive.
// An overflow or a division by zero raises RuntimeError.

#include "shell/ExperimentState.h"

namespace kemvo {

// What the current functions read besides their arguments.
struct TransportConditions {
    double fOverRT = 0;      // [1/V] F/(R T)
    double radius = 0;       // [cm] of the spherical electrode
    double rotationRate = 0; // [rad/s] of the rotating disk
    double viscosity = 0;    // [cm^2/s] kinematic viscosity
    double thickness = 0;    // [cm] of a thin film

    static TransportConditions of(const ExperimentState &state) {
        return {state.fOverRT, state.radius, state.rotationRate, state.viscosity, state.length};
    }
};

// exp(x^2) erfc(x): a continued fraction for |x| >= 1.5, the power series of erf below.
// Overflows (RuntimeError) for x below about -26.6, where exp(x^2) leaves the doubles.
double ExpErfc(double x);

// Potential step held for time t at a planar electrode (Dox, Dred = sqrt(D)):
// K exp(H^2 t) erfc(H sqrt(t)), H = kf/Dox + kb/Dred. For fast kinetics far beyond E0 this is
// the Cottrell current n Cox sqrt(D/(pi t)).
double StepCurrentPlanar(const TransportConditions &c, double E, double ks, double alpha, double n,
                         double E0, double Cox, double Dox, double t, double td, double Cred,
                         double Dred, double X);

// The same at a sphere of radius r: K (g + (1 - g) exp(H^2 t) erfc(H sqrt(t))), with
// S = Dox/r, H = kf/Dox + kb/Dred + S and g = S/H (the steady spherical part).
double StepCurrentSpherical(const TransportConditions &c, double E, double ks, double alpha,
                            double n, double E0, double Cox, double Dox, double t, double td,
                            double Cred, double Dred, double X);

// Steady current at a rotating disk (Dox, Dred = D): K / (1 + (kb Dred^-2/3 + kf Dox^-2/3)/L),
// L = 0.62 nu^-1/6 sqrt(omega); the Levich current n Cox L Dox^2/3 for fast kinetics.
double RotatingDiskCurrent(const TransportConditions &c, double E, double ks, double alpha,
                           double n, double E0, double Cox, double Dox, double t, double td,
                           double Cred, double Dred, double X);

// The pulse techniques build on the step currents: PulseCurrents.h.

// Catalytic EC' (A + ne = B, then B -> A by a pseudo-first-order step k' [1/s]): potential
// step of a Nernstian couple held for t [s], equal diffusion coefficients (Dox = sqrt(D)):
// n sqrt(D) (Cox - Cred exp(phi)) / (1 + exp(phi)) * (sqrt(k') erf(sqrt(k' t))
// + exp(-k' t)/sqrt(pi t)) (Delahay and Stiehl, J. Am. Chem. Soc. 74 (1952) 3500); the Cottrell
// current for k' -> 0 and n Cox sqrt(D k') for k' t >> 1. A sweep with catalysis is solved from
// its integral equation (SweepIntegralEquation.h).
double CatalyticStep(const TransportConditions &c, double E, double n, double E0, double Cox,
                     double Dox, double kcat, double t, double Cred);

} // namespace kemvo
