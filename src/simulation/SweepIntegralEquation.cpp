#include "simulation/SweepIntegralEquation.h"

#include "numerics/ConvolutionWeights.h"
#include "shell/Constants.h"
#include "shell/NumberText.h"
#include "simulation/CheckedMath.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

namespace kemvo {
namespace {

// The longest hold the sweep solves, in time steps (the quiet time, or the vertex holds
// together): the hold costs as much as a scan.
constexpr int kMaxQuietSteps = 20000;

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

// The antiderivatives of the sphere's kernel: the plane's less tail(x, 2)/g and
// tail(x, 4)/g^3, x = g sqrt(t), those of its part g exp(g^2 t) erfc(g sqrt(t)).
double sphereK1(double g, double t) {
    return 2 * std::sqrt(t) / std::sqrt(kPi) - scaledErfcTail(g * std::sqrt(t), 2) / g;
}
double sphereK2(double g, double t) {
    return 4.0 / 3.0 * t * std::sqrt(t) / std::sqrt(kPi) -
           scaledErfcTail(g * std::sqrt(t), 4) / (g * g * g);
}

// Product-integration weights of the diffusion kernel of a species with transport factor
// g = sqrt(D)/r0 (0 at a plane).
ConvolutionWeights diffusionWeights(int nodes, double dt, double g) {
    if (g == 0)
        return ConvolutionWeights::semiIntegral(nodes, dt);
    return ConvolutionWeights(
        nodes, dt, [g](double t) { return sphereK1(g, t); },
        [g](double t) { return sphereK2(g, t); });
}

// Integrals of y(s) and of (b - s) y(s) over (a, b), by 8-point Gauss-Legendre.
struct IntervalMoments {
    double plain = 0;
    double lever = 0;
};
template <class F> IntervalMoments gaussMoments(const F &y, double a, double b) {
    static const double node[4] = {0.1834346424956498, 0.5255324099163290, 0.7966664774136267,
                                   0.9602898564975363};
    static const double weight[4] = {0.3626837833783620, 0.3137066458778873, 0.2223810344533745,
                                     0.1012285362903763};
    const double mid = (a + b) / 2;
    const double half = (b - a) / 2;
    IntervalMoments moments;
    for (int i = 0; i < 4; ++i)
        for (double s : {mid - half * node[i], mid + half * node[i]}) {
            const double value = weight[i] * half * y(s);
            moments.plain += value;
            moments.lever += value * (b - s);
        }
    return moments;
}

// The first and second antiderivatives at the nodes 0..last (step dt) of the disc's edge
// deficit u(t) = 1 - exp(-beta/sqrt(t)), integrated interval by interval; the first interval,
// where u rises from 0 like an essential singularity, in halves down to t = 2^-60 dt.
void edgeDeficitAntiderivatives(double beta, double dt, std::vector<double> &U1,
                                std::vector<double> &U2) {
    auto u = [beta](double t) { return -std::expm1(-beta / std::sqrt(t)); };
    const int last = static_cast<int>(U1.size()) - 1;
    IntervalMoments firstInterval;
    for (int j = 0; j < 60; ++j) {
        const double b = std::ldexp(dt, -j);
        const IntervalMoments piece = gaussMoments(u, b / 2, b);
        firstInterval.plain += piece.plain;
        firstInterval.lever += piece.lever + (dt - b) * piece.plain;
    }
    U1[0] = U2[0] = 0;
    for (int m = 0; m < last; ++m) {
        const IntervalMoments moments =
            m == 0 ? firstInterval : gaussMoments(u, m * dt, (m + 1) * dt);
        U1[m + 1] = U1[m] + moments.plain;
        U2[m + 1] = U2[m] + dt * U1[m] + moments.lever;
    }
}

// Product-integration weights of the diffusion kernel of a microdisc of radius a whose surface
// concentration is uniform (exact for a Nernstian couple, taken so with kinetics). The flux is the
// convolution of the surface concentration history with the disc's response to a concentration
// step, Shoup and Szabo's 4 D C f(tau)/(pi a) (GeometryCurrents.h), and the kernel k is what
// makes int_0^t Jstep(s) k(t - s) ds = sqrt(D) C for all t. Divided by sqrt(D) C the step
// response is 1/sqrt(pi t) + g - 0.2146 g u(t), g = 4 sqrt(D)/(pi a), u the edge deficit above
// with beta = 0.7823 a/(2 sqrt(D)): the sphere's of radius pi a/4 (1/sqrt(pi t) + g, whose
// kernel is known) less the edge term. So k is the sphere's plus a correction q whose
// antiderivative Q1 solves, on the nodes, the same product-integrated equation the sweep solves,
//   int_0^t (1/sqrt(pi s) + g - 0.2146 g u(s)) Q1(t - s) ds = 0.2146 g int_0^t u(s) K1s(t - s) ds,
// with Q1 linear between the nodes, which suits it: the singular part of k is the sphere's, and
// Q1 starts as t.
ConvolutionWeights discWeights(int nodes, double dt, double rootD, double discRadius) {
    const double g = checkedDivide(4 * rootD, kPi * discRadius);
    const double edge = 0.2146 * g;
    const int last = std::max(nodes, 1);
    const auto size = static_cast<std::size_t>(last) + 1;
    std::vector<double> U1(size), U2(size), sphere1(size), sphere2(size);
    edgeDeficitAntiderivatives(checkedDivide(0.7823 * discRadius, 2 * rootD), dt, U1, U2);
    std::vector<double> step1(size), step2(size); // of the disc's step response
    for (std::size_t m = 0; m < size; ++m) {
        const double t = static_cast<double>(m) * dt;
        sphere1[m] = sphereK1(g, t);
        sphere2[m] = sphereK2(g, t);
        step1[m] = 2 * std::sqrt(t / kPi) + g * t - edge * U1[m];
        step2[m] = 4.0 / 3.0 * t * std::sqrt(t / kPi) + g * t * t / 2 - edge * U2[m];
    }
    const ConvolutionWeights step(dt, step1, step2);
    const ConvolutionWeights deficit(dt, U1, U2);
    std::vector<double> Q1(size, 0.0);
    for (int k = 1; k <= last; ++k)
        Q1[static_cast<std::size_t>(k)] =
            (edge * deficit.at(sphere1, k) - step.history(Q1, k)) / step.hat(0);
    std::vector<double> K1(size), K2(size);
    double Q2 = 0;
    for (std::size_t m = 0; m < size; ++m) {
        if (m > 0)
            Q2 += dt * (Q1[m - 1] + Q1[m]) / 2;
        K1[m] = sphere1[m] + Q1[m];
        K2[m] = sphere2[m] + Q2;
    }
    return ConvolutionWeights(dt, K1, K2);
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

// Time steps of a hold of `duration` [s], repeated `times` times: exact when it is a whole
// number of them (2 s at 50 ms), else the nearest whole number, at least one. `what` names the
// hold where all of them together exceed the steps the sweep solves.
int holdSteps(double duration, int times, double timeStep, const std::string &what) {
    if (!(duration > 0) || times == 0)
        return 0;
    const double steps = std::nearbyint(checkedDivide(duration, timeStep));
    if (!(steps * times < kMaxQuietSteps))
        throw RuntimeError(
            what + " of " + generalNumber(duration) + " s" +
            (times > 1 ? " at each of " + std::to_string(times) + " turning points" : "") +
            " holds more than " + std::to_string(kMaxQuietSteps) +
            " time steps of E step / v: make it shorter");
    return std::max(1, static_cast<int>(steps));
}

// The node of each point 1..count (index 0 unused) and the number of nodes: the quiet time's
// `held` nodes first, then one node a potential step, and the `vertexSteps` nodes of a hold
// between the two listings of a turning point (none: they are the same instant).
std::vector<int> nodesOfPoints(const PointArray &potential, int count, int held, int vertexSteps,
                               int &nodes) {
    std::vector<int> nodeOf(static_cast<std::size_t>(count) + 1, 0);
    int node = held - 1;
    for (int i = 1; i <= count; ++i) {
        node += i == 1 || potential(i) != potential(i - 1) ? 1 : vertexSteps;
        nodeOf[static_cast<std::size_t>(i)] = node;
    }
    nodes = node + 1;
    return nodeOf;
}

// How many turning points (potentials listed twice in a row) points 1..count hold.
int turningPointsOf(const PointArray &potential, int count) {
    int turns = 0;
    for (int i = 2; i <= count; ++i)
        turns += potential(i) == potential(i - 1) ? 1 : 0;
    return turns;
}

} // namespace

std::vector<double> sweepCurrents(const SweepCouple &couple, const SweepConditions &conditions,
                                  const PointArray &potential, int count) {
    std::vector<double> current(static_cast<std::size_t>(std::max(count, 0)) + 1, 0.0);
    if (count < 1 || couple.ks == 0)
        return current;
    // A quiet time holds the first potential for whole time steps before the scan: the nodes
    // of the hold come first, and the scan's instants follow them. A vertex hold adds its nodes
    // at the turning point's potential between its two listings.
    const int held = holdSteps(conditions.quietTime, 1, conditions.timeStep, "the quiet time");
    const int vertexSteps = holdSteps(conditions.vertexHold, turningPointsOf(potential, count),
                                      conditions.timeStep, "the vertex hold");
    int nodes = 0;
    const std::vector<int> nodeOf = nodesOfPoints(potential, count, held, vertexSteps, nodes);
    std::vector<double> nodePotential(static_cast<std::size_t>(nodes), potential(1));
    for (int i = 2; i <= count; ++i)
        for (int k = nodeOf[static_cast<std::size_t>(i - 1)] + 1;
             k <= nodeOf[static_cast<std::size_t>(i)]; ++k)
            nodePotential[static_cast<std::size_t>(k)] = potential(i);
    const double rootDox = checkedSqrt(couple.Dox);
    const double rootDred = checkedSqrt(conditions.catalysis != 0 ? couple.Dox : couple.Dred);
    const bool catalytic = conditions.catalysis != 0;
    const bool sphere = conditions.radius != 0 && !catalytic;
    const bool disc = conditions.discRadius != 0 && !catalytic;
    const double dt = conditions.timeStep;
    auto diffusionOf = [&](double rootD) {
        if (disc)
            return discWeights(nodes, dt, rootD, conditions.discRadius);
        return diffusionWeights(nodes, dt, sphere ? checkedDivide(rootD, conditions.radius) : 0);
    };
    const ConvolutionWeights ox =
        catalytic ? catalyticWeights(nodes, dt, conditions.catalysis) : diffusionOf(rootDox);
    // At a plane, with equal diffusion coefficients and under catalysis, B shares A's kernel.
    const bool shared = (!sphere && !disc) || rootDred == rootDox;
    std::optional<ConvolutionWeights> ownRed;
    if (!shared)
        ownRed.emplace(diffusionOf(rootDred));
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
        current[static_cast<std::size_t>(i)] = checkedFinite(
            couple.n * J[static_cast<std::size_t>(nodeOf[static_cast<std::size_t>(i)])]);
    return current;
}

} // namespace kemvo
