#pragma once
// Linear-sweep and cyclic voltammograms of one couple A + ne = B with Butler-Volmer kinetics,
// from the integral equation of the sweep (Nicholson and Shain, Anal. Chem. 36 (1964) 706;
// Nicholson, Anal. Chem. 37 (1965) 1351). The surface concentrations are the bulk ones less
// the convolution of the flux J with the diffusion kernel of each species,
//   CA(0,t) = CA* - (1/sqrt(DA)) int_0^t J(u) k_A(t - u) du,
//   CB(0,t) = CB* + (1/sqrt(DB)) int_0^t J(u) k_B(t - u) du,
// with k(t) = 1/sqrt(pi t) at a plane and k(t) = 1/sqrt(pi t) - g exp(g^2 t) erfc(g sqrt(t)),
// g = sqrt(D)/r0, at a sphere of radius r0 (the Laplace transform 1/(sqrt(s) + g)); at a
// microdisc, whose surface concentration is taken as uniform (exact for a Nernstian couple),
// k is solved numerically from the disc's response to a concentration step (Shoup and Szabo,
// J. Electroanal. Chem. 140 (1982) 237), which puts the reversible peaks within 0.3 % of those
// of Aoki, Akimoto, Tokuda, Matsuda and Osteryoung (J. Electroanal. Chem. 171 (1984) 219).
// The flux obeys J = kf CA(0,t) - kb CB(0,t). With a catalytic regeneration B -> A of
// pseudo-first order k' (EC'; equal diffusion coefficients, B absent from the bulk) the sum
// CA + CB stays CA* everywhere and B decays as it diffuses: both species take the kernel
// exp(-k' t)/sqrt(pi t) at a plane (Saveant and Vianello, Electrochim. Acta 10 (1965) 905),
// which gives the peaked wave at small k' RT/(nFv) and the S-shaped wave of plateau
// n F A CA* sqrt(D k') at large. The convolutions are taken by product integration
// with J linear between the points (ConvolutionWeights), which leaves one linear equation for
// the newest flux at each point.

#include "shell/CurveStore.h"

#include <vector>

namespace kemvo {

// One charge-transfer couple in working units.
struct SweepCouple {
    double ks = 0;    // [cm/s] standard heterogeneous rate constant
    double alpha = 0; // transfer coefficient
    double n = 0;     // electron number
    double e0 = 0;    // [V] standard (or apparent standard) potential
    double Cox = 0;   // [mol/L] bulk concentration of A
    double Cred = 0;  // [mol/L] bulk concentration of B
    double Dox = 0;   // [cm^2/s] diffusion coefficient of A
    double Dred = 0;  // [cm^2/s] diffusion coefficient of B
};

struct SweepConditions {
    double fOverRT = 0;    // [1/V] F/(R T)
    double timeStep = 0;   // [s] time between two points of different potential, |dE|/v
    double radius = 0;     // [cm] of a spherical electrode; 0 for a plane
    double discRadius = 0; // [cm] of a microdisc, in place of `radius`; 0 for none
    double catalysis = 0;  // [1/s] k' of a catalytic regeneration of A at a plane; 0 for none
    double quietTime = 0;  // [s] hold at the first potential before the scan, from rest
    double vertexHold = 0; // [s] hold at each turning point (a potential listed twice)
};

// The current n J at points 1..count of the potential programme, per F A 1e-3 like the other
// closed forms (reduction positive). The sweep starts at point 1 (t = 0) from the bulk
// concentrations, and the flux over the first interval is taken as constant. Consecutive
// points of equal potential (the vertex of a cycle, listed twice) are the same instant, unless
// a vertex hold > 0 is set: the second listing is then the end of the hold at that potential,
// the first its start. A quiet time > 0 holds the first potential that long from rest before
// point 1; the jump to it is then the singular start. Both holds are taken in whole time steps,
// the nearest number of them.
// An overflow raises RuntimeError.
std::vector<double> sweepCurrents(const SweepCouple &couple, const SweepConditions &conditions,
                                  const PointArray &potential, int count);

} // namespace kemvo
