#include "setup/PreEquilibrium.h"

#include "shell/RuntimeError.h"

#include <cmath>

namespace kemvo {
namespace {

// Amount that moves from reactant x to product y so that their ratio becomes theta (their
// sum stays): (theta x - y) / (1 + theta); all of x for an infinite theta.
double equilibriumShift(double theta, double x, double y) {
    if (std::isinf(theta) && theta > 0)
        return x;
    return checkedDivide(checkedFinite(theta * x - y), 1.0 + theta);
}

} // namespace

std::vector<std::pair<int, double>> preEquilibrated(const EquilibriumInputs &in) {
    if (!(in.fOverRT > 0))
        throw RuntimeError(kDivisionByZero); // no temperature taken yet
    auto c = [&in](int j) { return in.bulk[static_cast<std::size_t>(j)]; };
    auto theta = [&](int r) {
        const auto k = static_cast<std::size_t>(r);
        return checkedExp(in.electrons[k] * in.fOverRT * (in.e0[k] - in.eStart));
    };
    auto K1 = [&in] { return in.keq1; };
    const bool chemistryFrozen = in.chemistryFrozen;
    std::vector<std::pair<int, double>> shown;
    switch (in.mechanism) {
    case 1:
    case 9:
    case 10:
    case 16: {
        double v = equilibriumShift(theta(1), c(1), c(2));
        shown = {{1, c(1) - v}, {2, c(2) + v}};
        break;
    }
    case 2:
    case 3:
    case 14:
    case 15: { // charge steps in series
        double x = c(1);
        for (int r = 1; r <= in.chargeCount; ++r) {
            double v = equilibriumShift(theta(r), x, c(r + 1));
            shown.emplace_back(r, x - v);
            x = c(r + 1) + v;
        }
        shown.emplace_back(in.chargeCount + 1, x);
        break;
    }
    case 4:
    case 11:
    case 12:
    case 13: // separate couples A/B, C/D
        for (int r = 1; r <= in.chargeCount; ++r) {
            double v = equilibriumShift(theta(r), c(2 * r - 1), c(2 * r));
            shown.emplace_back(2 * r - 1, c(2 * r - 1) - v);
            shown.emplace_back(2 * r, c(2 * r) + v);
        }
        break;
    case 5:
    case 6: { // C = A before the charge transfer
        double u = chemistryFrozen ? 0.0 : equilibriumShift(K1(), c(3), c(1));
        double v = equilibriumShift(theta(1), c(1) + u, c(2));
        shown = {{3, c(3) - u}, {1, c(1) + u - v}, {2, c(2) + v}};
        break;
    }
    case 7:
    case 8: { // B = C after the charge transfer
        double v = equilibriumShift(theta(1), c(1), c(2));
        double w = chemistryFrozen ? 0.0 : equilibriumShift(K1(), c(2) + v, c(3));
        shown = {{1, c(1) - v}, {2, c(2) + v - w}, {3, c(3) + w}};
        break;
    }
    case 17: { // C = A + pD: K1 = [A][D]^p / [C]
        double q = checkedFinite(std::pow(c(4), in.stoich1));
        double u = 0.0;
        if (std::isinf(K1()))
            u = c(3); // the complex dissociates wholly
        else if (!chemistryFrozen)
            u = checkedDivide(checkedFinite(K1() * c(3) - c(1) * q), K1() + q);
        shown = {{1, c(1) + u}, {3, c(3) - u}};
        break;
    }
    default:
        break;
    }
    return shown;
}

} // namespace kemvo
