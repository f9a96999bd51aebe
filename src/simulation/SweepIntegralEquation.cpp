#include "simulation/SweepIntegralEquation.h"

#include "analysis/SemiIntegration.h"
#include "shell/Constants.h"
#include "simulation/CheckedMath.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace kemvo {
namespace {

// exp(x^2) erfc(x) for x >= 0 to the precision of the library's erfc; the asymptotic series
// where erfc leaves the doubles.
double scaledErfc(double x) {
    if (x < 20)
        return std::exp(x * x) * std::erfc(x);
    const double inverse = 1 / (x * x);
    return (1 - inverse / 2 + 0.75 * inverse * inverse - 1.875 * inverse * inverse * inverse) /
           (x * std::sqrt(kPi));
}

// sum over m >= from of (-x)^m / Gamma(m/2 + 1), the tail of the series of exp(x^2) erfc(x),
// for x >= 0. Summed term by term where the terms are moderate, otherwise the closed form less
// its first terms (which then no longer cancel).
double scaledErfcTail(double x, int from) {
    // Terms t(m) = (-x)^m / Gamma(m/2 + 1): t(0) = 1, t(1) = -2x/sqrt(pi), t(m) = t(m-2) 2x^2/m.
    double even = 1;
    double odd = -2 * x / std::sqrt(kPi);
    auto term = [&](int m) { return m % 2 == 0 ? even : odd; };
    auto advance = [&](int m) { // from t(m) to t(m + 2)
        (m % 2 == 0 ? even : odd) *= 2 * x * x / (m + 2);
    };
    if (x > 2) {
        double head = 0;
        for (int m = 0; m < from; ++m) {
            head += term(m);
            advance(m);
        }
        return scaledErfc(x) - head;
    }
    for (int m = 0; m < from; ++m)
        advance(m);
    double sum = 0;
    for (int m = from; m < from + 400; ++m) {
        const double t = term(m);
        sum += t;
        advance(m);
        if (std::fabs(t) <= 1e-18 * std::fabs(sum))
            break;
    }
    return sum;
}

// Product-integration weights of the diffusion kernel of a species with transport factor
// g = sqrt(D)/r0 (0 at a plane). The sphere's part g exp(g^2 t) erfc(g sqrt(t)) has the
// antiderivatives tail(x, 2)/g and tail(x, 4)/g^3, x = g sqrt(t).
ConvolutionWeights diffusionWeights(int nodes, double dt, double g) {
    if (g == 0)
        return ConvolutionWeights::semiIntegral(nodes, dt);
    const double rootPi = std::sqrt(kPi);
    auto K1 = [=](double t) {
        return 2 * std::sqrt(t) / rootPi - scaledErfcTail(g * std::sqrt(t), 2) / g;
    };
    auto K2 = [=](double t) {
        return 4.0 / 3.0 * t * std::sqrt(t) / rootPi -
               scaledErfcTail(g * std::sqrt(t), 4) / (g * g * g);
    };
    return ConvolutionWeights(nodes, dt, K1, K2);
}

// Product-integration weights of the catalytic kernel exp(-k t)/sqrt(pi t), whose
// antiderivatives are K1 = erf(sqrt(k t))/sqrt(k) and
// K2 = ((t - 1/(2k)) erf(sqrt(k t)) + sqrt(t/(pi k)) exp(-k t)) / sqrt(k); below k t = 2, where
// these cancel, their power series (2/sqrt(pi)) sum (-k)^j t^(j+1/2) / (j! (2j+1)) and its
// integral.
ConvolutionWeights catalyticWeights(int nodes, double dt, double k) {
    const double rootPi = std::sqrt(kPi);
    auto series = [=](double t, bool integrated) {
        double term = 2 * std::sqrt(t) / rootPi * (integrated ? t : 1); // (-kt)^j / j! part
        double sum = 0;
        for (int j = 0; j < 200; ++j) {
            const double value = term / ((2 * j + 1) * (integrated ? j + 1.5 : 1));
            sum += value;
            if (std::fabs(value) <= 1e-18 * std::fabs(sum))
                break;
            term *= -k * t / (j + 1);
        }
        return sum;
    };
    auto K1 = [=](double t) {
        return k * t < 2 ? series(t, false) : std::erf(std::sqrt(k * t)) / std::sqrt(k);
    };
    auto K2 = [=](double t) {
        if (k * t < 2)
            return series(t, true);
        const double root = std::sqrt(k * t);
        return ((t - 0.5 / k) * std::erf(root) + std::sqrt(t / (kPi * k)) * std::exp(-k * t)) /
               std::sqrt(k);
    };
    return ConvolutionWeights(nodes, dt, K1, K2);
}

// One species' side of the surface balance at node k: the convolution carried by the earlier
// fluxes and the weight of the newest one, both divided by sqrt(D) [mol/L and s/cm].
struct SurfaceTerms {
    double known = 0;
    double self = 0;
};

// `history` is w.history(J, k); the first interval's flux is constant, J(0) = J(1).
SurfaceTerms surfaceTerms(const ConvolutionWeights &w, const std::vector<double> &J, int k,
                          double history, double rootD) {
    if (k == 1)
        return {0, checkedDivide(w.first(1) + w.hat(0), rootD)};
    return {checkedDivide(w.first(k) * J[1] + history, rootD), checkedDivide(w.hat(0), rootD)};
}

// The flux at a node from J = kf CA(0) - kb CB(0), with both rate constants divided by
// ks exp(g), g the larger exponent, so that a Nernstian couple far from E0 cannot overflow.
double fluxAt(const SweepCouple &c, double phi, const SurfaceTerms &ox, const SurfaceTerms &red) {
    const double reduction = -c.alpha * phi;
    const double oxidation = (1 - c.alpha) * phi;
    const double g = std::max(reduction, oxidation);
    const double kf = std::exp(reduction - g);
    const double kb = std::exp(oxidation - g);
    const double slowness = checkedDivide(checkedExp(-g), c.ks);
    const double driving = kf * (c.Cox - ox.known) - kb * (c.Cred + red.known);
    return checkedFinite(driving / (slowness + kf * ox.self + kb * red.self));
}

} // namespace

std::vector<double> sweepCurrents(const SweepCouple &couple, const SweepConditions &conditions,
                                  const PointArray &potential, int count) {
    std::vector<double> current(static_cast<std::size_t>(std::max(count, 0)) + 1, 0.0);
    if (count < 1 || couple.ks == 0)
        return current;
    const SweepInstants instants = sweepInstants(potential, count);
    const int nodes = instants.count;
    std::vector<double> nodePotential(static_cast<std::size_t>(nodes), 0.0);
    for (int i = count; i >= 1; --i)
        nodePotential[static_cast<std::size_t>(instants.instantOf[i])] = potential(i);
    const double rootDox = checkedSqrt(couple.Dox);
    const double rootDred = checkedSqrt(conditions.catalysis != 0 ? couple.Dox : couple.Dred);
    const bool catalytic = conditions.catalysis != 0;
    const bool sphere = conditions.radius != 0 && !catalytic;
    const double gOx = sphere ? checkedDivide(rootDox, conditions.radius) : 0;
    const double gRed = sphere ? checkedDivide(rootDred, conditions.radius) : 0;
    const ConvolutionWeights ox =
        catalytic ? catalyticWeights(nodes, conditions.timeStep, conditions.catalysis)
                  : diffusionWeights(nodes, conditions.timeStep, gOx);
    // At a plane, at a sphere with equal diffusion coefficients and under catalysis, B shares
    // A's kernel.
    const bool shared = gRed == gOx;
    std::optional<ConvolutionWeights> ownRed;
    if (!shared)
        ownRed.emplace(diffusionWeights(nodes, conditions.timeStep, gRed));
    const ConvolutionWeights &red = shared ? ox : *ownRed;

    std::vector<double> J(static_cast<std::size_t>(nodes) + 1, 0.0);
    for (int k = 1; k < nodes; ++k) {
        const double phi = couple.n * conditions.fOverRT *
                           (nodePotential[static_cast<std::size_t>(k)] - couple.e0);
        const double oxHistory = ox.history(J, k);
        const double redHistory = shared ? oxHistory : red.history(J, k);
        J[static_cast<std::size_t>(k)] =
            fluxAt(couple, phi, surfaceTerms(ox, J, k, oxHistory, rootDox),
                   surfaceTerms(red, J, k, redHistory, rootDred));
        if (k == 1)
            J[0] = J[1];
    }
    for (int i = 1; i <= count; ++i)
        current[static_cast<std::size_t>(i)] =
            checkedFinite(couple.n * J[static_cast<std::size_t>(instants.instantOf[i])]);
    return current;
}

} // namespace kemvo
