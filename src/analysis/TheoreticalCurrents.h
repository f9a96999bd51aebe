#pragma once
// Textbook currents and potentials of a diffusion-controlled couple O + ne = R, for comparing a
// curve with theory. Amounts: nFQ = n F A C [C/cm] with A [cm^2] and C [mol/cm^3]; nf = n F/(R T)
// [1/V]; D [cm^2/s] of the oxidised species; times [s]; radii and lengths [cm]. Currents [A]
// come out as magnitudes of the reduction current unless said otherwise. The arguments must be
// positive; the caller checks them.

namespace kemvo::theory {

// Reversible sweep peak, planar: 0.4463 nFQ sqrt(nf v D) (Randles-Sevcik; Bard and Faulkner,
// Electrochemical Methods, 2nd ed., section 6.2). v [V/s].
double reversibleSweepPeak(double nFQ, double nf, double v, double D);
// Its potential lies 1.109 RT/(nF) past the reversible half-wave potential [V].
double reversibleSweepPeakShift(double nf);

// Irreversible sweep peak, planar: 0.4958 nFQ sqrt(alpha nf v D) (Bard and Faulkner, section 6.3).
double irreversibleSweepPeak(double nFQ, double alphaNf, double v, double D);
// Its distance from E0 [V]: (0.780 + ln(sqrt(alpha nf v D) / ks)) / (alpha nf) (same section);
// ks [cm/s].
double irreversibleSweepPeakShift(double alphaNf, double v, double D, double ks);

// Reversible sweep peak at a sphere or hemisphere of radius r0: the planar peak plus
// 0.752 nFQ D / r0 (Bard and Faulkner, section 6.2).
double sphereSweepPeak(double nFQ, double nf, double v, double D, double r0);

// Reversible sweep peak or plateau at an inlaid microdisc of radius r0:
// 4 nFCD r0 (0.34 exp(-0.66 p) + 0.66 - 0.13 exp(-11/p) + 0.351 p), p = r0 sqrt(nf v / D)
// (Aoki, Akimoto, Tokuda, Matsuda and Osteryoung, J. Electroanal. Chem. 171 (1984) 219).
// It tends to the steady state 4 nFCD r0 at slow scans and to the planar peak at fast ones.
// nFC = n F C [C/cm^3].
double microdiscSweepPeak(double nFC, double nf, double v, double D, double r0);

// Reversible sweep peak of a thin layer of thickness L, exhausted without diffusion limit:
// n^2 F^2 v A L C / (4 R T) = nFQ nf v L / 4 (Bard and Faulkner, section 11.7).
double thinLayerSweepPeak(double nFQ, double nf, double v, double L);

// Limiting current at a rotating disk: 0.620 nFQ D^(2/3) omega^(1/2) nu^(-1/6) (Levich;
// Bard and Faulkner, section 9.3). omega [rad/s], nu [cm^2/s] kinematic viscosity.
double levichCurrent(double nFQ, double D, double omega, double nu);

// Diffusion-limited current a time t after a potential step.
// Planar: nFQ sqrt(D / (pi t)) (Cottrell; Bard and Faulkner, section 5.2).
double cottrellCurrent(double nFQ, double D, double t);
// Sphere or hemisphere: nFQ D (1/sqrt(pi D t) + 1/r0) (same section).
double sphereStepCurrent(double nFQ, double D, double t, double r0);
// Inlaid microdisc: 4 nFC D r0 f(tau), tau = 4 D t / r0^2,
// f = 0.7854 + 0.8862 tau^(-1/2) + 0.2146 exp(-0.7823 tau^(-1/2)) (Shoup and Szabo,
// J. Electroanal. Chem. 140 (1982) 237; within 0.6 % at every time).
double microdiscStepCurrent(double nFC, double D, double t, double r0);
// Cylinder or hemicylinder: nFQ D / r0 (exp(-0.1 sqrt(pi tau)) / sqrt(pi tau)
// + 1 / ln(sqrt(4 exp(-gamma) tau) + exp(5/3))), tau = D t / r0^2, gamma = 0.5772 (Szabo, Cope,
// Tallman, Kovach and Wightman, J. Electroanal. Chem. 217 (1987) 417; within about 1.3 % at
// every time, where the long-time form 2/ln(4 tau) fails below tau = 1/4).
double cylinderStepCurrent(double nFQ, double D, double t, double r0);

// Half-wave potential of a totally irreversible wave at a stationary planar electrode sampled at
// td, from E0 [V]: ln(2.31 ks sqrt(td / D)) / (alpha nf), where the current is half the
// limiting one at ks exp(-alpha nf (E - E0)) sqrt(td/D) = 0.433 (Bard and Faulkner,
// section 5.5; 1.35 is the constant of the growing mercury drop instead).
double irreversibleStepHalfwaveShift(double alphaNf, double ks, double td, double D);

// Peak of the differential pulse current, planar, reversible:
// nFQ sqrt(D/(pi tp)) (sigma - 1)/(sigma + 1), sigma = exp(nf dE / 2), signed like the pulse
// height dE [V] (Bard and Faulkner, section 7.3).
double differentialPulsePeak(double nFQ, double nf, double D, double tp, double dE);

// Dimensionless net peak of reversible Osteryoung square-wave voltammetry, planar: the
// difference of the currents at the ends of the forward and reverse half cycles divided by
// nFQ sqrt(D/(pi tp)), for a staircase of step nf dEs and square-wave amplitude nf Esw (both
// dimensionless, positive), one staircase point at the half-wave potential. Computed exactly
// by superposing the potential steps of the whole staircase from far before the wave (0.9281
// for n dEs = 10 mV, n Esw = 50 mV at 25 C, as Bard and Faulkner, section 7.3, tabulate).
double squareWaveNetPeak(double stepNf, double amplitudeNf);

// Pure kinetic current of a catalytic (EC') reaction, planar: nFQ sqrt(k D) with the
// pseudo-first-order rate constant k [1/s] (Bard and Faulkner, section 12.3).
double catalyticCurrent(double nFQ, double k, double D);

} // namespace kemvo::theory
