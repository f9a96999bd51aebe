#pragma once
// Closed-form currents of one charge-transfer step A + ne = B at the electrodes whose diffusion
// field is not that of a plane or a sphere: the microdisc, the cylinder and the thin layer.
// Like the functions of AnalyticalCurrents.h, each current is per F * area * 1e-3, counts a
// reduction positive and takes the same arguments in the same order (Dox, Dred = sqrt(D)
// [cm/s^0.5]); an overflow or a division by zero raises RuntimeError.

#include "shell/ExperimentState.h"
#include "simulation/AnalyticalCurrents.h"

#include <string>

namespace kemvo {

// Diffusion-limited flux per unit area and concentration, i / (n F A C) [cm/s], t [s] after a
// potential step, for a diffusion coefficient D [cm^2/s] and a radius r [cm]:
//  - microdisc, Shoup and Szabo, J. Electroanal. Chem. 140 (1982) 237:
//    i = 4 n F D C r f(tau), tau = 4 D t / r^2,
//    f = 0.7854 + 0.8862 tau^-1/2 + 0.2146 exp(-0.7823 tau^-1/2) (within 0.6 %);
//  - cylinder (its side), Szabo, Cope, Tallman, Kovach and Wightman, J. Electroanal. Chem.
//    217 (1987) 417, for every tau = D t / r^2 within 1.2 %:
//    i r / (n F A D C) = exp(-0.1 sqrt(pi tau)) / sqrt(pi tau) + 1 / ln(sqrt(4 e^-gamma tau) +
//    e^(5/3)), gamma = 0.5772.
//  - thin film of thickness L [cm] on the electrode, its far side impermeable (the finite
//    layer; Bard and Faulkner, problem 5.11; Hubbard and Anson): for tau = D t / L^2 < 1 the
//    image series sqrt(D / (pi t)) (1 + 2 sum_k (-1)^k exp(-k^2 / tau)), else the eigenfunction
//    series (2 D / L) sum_m exp(-(2m + 1)^2 pi^2 tau / 4); both exact.
double microdiscTransferCoefficient(double D, double r, double t);
double cylinderTransferCoefficient(double D, double r, double t);
double filmTransferCoefficient(double D, double L, double t);

// Potential step held for time t at a microdisc of radius `radius` (Shoup and Szabo) or at a
// cylinder, with Butler-Volmer kinetics through the mass-transfer coefficients mO, mR of the
// functions above:
//   K / (1 + kf/mO + kb/mR) * exp(x^2) erfc(x) (1 + sqrt(pi) x),  x = (kf/Dox + kb/Dred) sqrt(t).
// The first factor is the reversible limit n Cox mO / (1 + exp(n f (E - E0)) mO/mR), the
// diffusion-limited current times the Nernst fraction, and the steady kinetic wave of a
// microelectrode; the second is 1 in those limits and turns the planar limit (large radius,
// short time) into the exact planar transient K exp(x^2) erfc(x).
double StepCurrentMicrodisc(const TransportConditions &c, double E, double ks, double alpha,
                            double n, double E0, double Cox, double Dox, double t, double td,
                            double Cred, double Dred, double X);
double StepCurrentCylindrical(const TransportConditions &c, double E, double ks, double alpha,
                              double n, double E0, double Cox, double Dox, double t, double td,
                              double Cred, double Dred, double X);
// The same in a thin film of thickness c.thickness: exact for the diffusion-limited current
// and for a Nernstian couple of equal diffusion coefficients; with slow kinetics the film's
// depletion enters through its transfer coefficient alone. An exhausted film carries no
// current.
double StepCurrentThinFilm(const TransportConditions &c, double E, double ks, double alpha,
                           double n, double E0, double Cox, double Dox, double t, double td,
                           double Cred, double Dred, double X);

// The share of a rod's area in its exposed end: r / (r + 2 l) for a cylinder of radius r and
// length l (an end disc pi r^2 beside the side 2 pi r l), and for a hemicylinder on a plane
// (half of each). The end carries the current of a disc in an insulating plane (Shoup and
// Szabo's, or the disc's sweep kernel): an approximation, since the rod's side, not a plane,
// surrounds it; the side carries the cylinder's own current.
double cylinderEndShare(double radius, double length);

// The steady current of a reversible wave at a curved electrode is this factor times
// n F A D C / r0: 1 at a sphere or a hemisphere, 4/pi at a microdisc (4 n F D C r0 with
// A = pi r0^2, Saito 1968).
double steadyCurrentFactor(int electrode);

// A thin layer of thickness L [cm] whose concentrations are uniform across it (the thin-layer
// limit, L^2 << D RT/(nFv)): dCox/dt = -(kf Cox - kb Cred) / L with Cox + Cred constant
// (Hubbard, J. Electroanal. Chem. 22 (1969) 165). The potential is swept linearly; over each
// substep of at most 0.1 mV the rate constants are those of the substep's middle and the
// equation is integrated exactly, so the result does not depend on the potential step. For a
// reversible couple the current is n^2 F^2 v V C / (RT) * xi / (1 + xi)^2, xi = exp(nf(E-E0)):
// a peak n^2 F^2 v V C / (4 RT) at E0 on both sweeps, 3.53 RT/(nF) wide at half height.
class ThinLayer {
public:
    ThinLayer(const TransportConditions &c, double ks, double alpha, double n, double E0,
              double Cox, double Cred, double thickness, double scanRate, double startPotential);

    // Sweeps on to the potential E [V] and returns the mean current of the last substep. A
    // point at the potential of the previous one (the start, the vertex repeated) is the same
    // instant; the layer starts without current.
    double sweepTo(double E);

private:
    void advance(double E, double duration);

    TransportConditions conditions_;
    double ks_, alpha_, n_, e0_;
    double total_;     // [mol/L] Cox + Cred
    double oxidised_;  // [mol/L] Cox now
    double thickness_; // [cm]
    double scanRate_;  // [V/s]
    double potential_; // [V] now
    double current_ = 0;
};

} // namespace kemvo
