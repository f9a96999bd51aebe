#pragma once
// The grid of the two-dimensional microdisc simulation: boxes in oblate spheroidal coordinates
// around a disc of radius a, r = a sqrt((1 + xi^2)(1 - eta^2)), z = a xi eta. The disc is
// xi = 0 (eta = sqrt(1 - r^2/a^2)), the insulating plane eta = 0, the axis eta = 1. With
// u = (2/pi) atan(xi) in [0, 1) the steady concentration is linear, C = C* u, and the current
// 4 a D times the integral of dC/du over eta at u = 0 (Saito's 4 n F D C a). Per unit of u and
// eta the volume element is (pi/2)(xi^2 + eta^2)(1 + xi^2) (times 2 pi a^3), and diffusion reads
//   dC/dT (xi^2 + eta^2) dxi = d [(2/pi) d2C/du2 du + dxi d/deta((1 - eta^2) dC/deta)],
// with T = D_A t / a^2 and d = D / D_A; Michael, Wightman and Amatore, J. Electroanal. Chem.
// 267 (1989) 33, and Amatore and Fosset, J. Electroanal. Chem. 328 (1992) 21, use this map.
// Boxes are integrated exactly over their volume, so mass is conserved box by box.

#include <vector>

namespace kemvo::disc {

// Boxes (i, j), i = 0..nu-1 along u from the disc, j = 0..ne-1 along eta from the plane; box
// (i, j) is number i * ne + j. Conductances are per unit of d (the species' D / D_A).
struct DiscGrid {
    int nu = 0;
    int ne = 0;
    std::vector<double> volume;      // exact integral of (xi^2 + eta^2) dxi deta
    std::vector<double> uLink;       // to box (i + 1, j); the last, to the bulk at u = 1
    std::vector<double> etaLink;     // to box (i, j + 1); 0 for the last strip
    std::vector<double> electrode;   // [j] of box (0, j) to the disc
    std::vector<double> stripWeight; // [j] (eta+^2 - eta-^2)/2: the strip's share of the disc
    int boxes() const { return nu * ne; }
};

// The grid for a run whose shortest time to resolve (a pulse, the ramp over RT/F, a chemical
// lifetime) has the diffusion length sqrt(D t)/a = `shortest` (smallest D) and whose whole
// duration has the length `longest` (largest D), both in units of the radius. The boxes start
// at a fraction of `shortest` from the disc, finer still at its edge, and reach six lengths
// `longest` (measured from the disc's face and from its edge); beyond the last box a link
// carries the steady field to the bulk, so a steady state is exact however short the grid.
DiscGrid discGrid(double shortest, double longest);

} // namespace kemvo::disc
