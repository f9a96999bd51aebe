#include "simulation/PulseCurrents.h"

#include "shell/Constants.h"
#include "simulation/CheckedMath.h"

#include <cmath>
#include <vector>

namespace kemvo {
namespace {

// H sqrt(tp) above which a step is reversible for the square wave's sum: exp(x^2) erfc(x)
// differs from 1/(x sqrt(pi)) by the factor 1 - 1/(2 x^2), here 5e-7.
constexpr double kReversibleRate = 1e3;

// The single-step current at one potential, S(t) = K (g + (1 - g) exp(H^2 t) erfc(H sqrt(t))),
// as StepCurrentPlanar (g = 0) and StepCurrentSpherical compute it, with the kinetics taken
// once so that a run evaluates it at many times.
struct StepResponse {
    double K = 0;       // n (kf Cox - kb Cred) [cm/s mol/L]
    double H = 0;       // kf/Dox + kb/Dred (+ Dox/r0 at a sphere) [1/s^0.5]
    double kinetic = 0; // kf/Dox + kb/Dred [1/s^0.5]
    double gamma = 0;   // steady share Dox/(r0 H) at a sphere, 0 at a plane

    double at(double t) const {
        double transient = ExpErfc(checkedFinite(H * checkedSqrt(t)));
        return checkedFinite(K * (gamma + (1 - gamma) * transient));
    }
};

StepResponse responseAt(const TransportConditions &c, const Couple &couple,
                        PulseElectrode electrode, double E) {
    double phi = couple.n * c.fOverRT * (E - couple.E0);
    double kf = checkedFinite(couple.ks * checkedExp(-couple.alpha * phi));
    double kb = checkedFinite(couple.ks * checkedExp((1 - couple.alpha) * phi));
    StepResponse r;
    r.K = checkedFinite(couple.n * (kf * couple.Cox - kb * couple.Cred));
    r.kinetic = checkedFinite(checkedDivide(kf, couple.Dox) + checkedDivide(kb, couple.Dred));
    r.H = r.kinetic;
    if (electrode == PulseElectrode::Spherical) {
        double S = checkedDivide(couple.Dox, c.radius);
        r.H = checkedFinite(r.H + S);
        r.gamma = checkedDivide(S, r.H);
    }
    return r;
}

double stepCurrent(const TransportConditions &c, const Couple &couple, PulseElectrode electrode,
                   double E, double t) {
    return responseAt(c, couple, electrode, E).at(t);
}

// Current at time t of a solution at rest held at E1 from 0 and at E2 from t1 on.
double twoStepCurrent(const TransportConditions &c, const Couple &couple, PulseElectrode electrode,
                      double E1, double t1, double E2, double t) {
    StepResponse first = responseAt(c, couple, electrode, E1);
    double second = stepCurrent(c, couple, electrode, E2, t - t1);
    return checkedFinite(first.at(t) + second - first.at(t - t1));
}

void requirePulseShorterThanDrop(double td, double tp) {
    if (!(tp > 0 && td > tp))
        throw RuntimeError("Pulse time not shorter than the drop time");
}

// The reversible surface term F(E) = (Cox - th Cred)/(1 + th Dox/Dred), th = exp(n f (E - E0))
// [mol/L], written so that a large th does not overflow.
double reversibleShare(const TransportConditions &c, const Couple &couple, double E) {
    double phi = couple.n * c.fOverRT * (E - couple.E0);
    double xi = checkedDivide(couple.Dox, couple.Dred);
    if (phi <= 0) {
        double th = std::exp(phi);
        return (couple.Cox - th * couple.Cred) / (1 + th * xi);
    }
    double u = std::exp(-phi);
    return (u * couple.Cox - couple.Cred) / (u + xi);
}

// Adds to sampled[j] the current at the end of half-period j of every interval k <= j: the
// interval held from k tp to (k + 1) tp contributes S_k((j + 1 - k) tp) - S_k((j - k) tp),
// with S_k(0) = 0 (the second term is the next step's "from" part).
template <class StepAt>
void superpose(std::size_t intervals, std::vector<double> &sampled, StepAt stepAt) {
    for (std::size_t k = 0; k < intervals; ++k)
        for (std::size_t m = 1; k + m <= intervals; ++m) {
            double g = stepAt(k, m);
            sampled[k + m - 1] += g;
            if (k + m < intervals)
                sampled[k + m] -= g;
        }
}

// Reversible couple: S_k(m tp) = a_k/sqrt(m) + b_k with a_k = n Dox F_k/sqrt(pi tp) and, at a
// sphere, the steady b_k = n F_k Dox^2/r0.
void superposeReversible(const TransportConditions &c, const Couple &couple,
                         PulseElectrode electrode, const std::vector<double> &potentials, double tp,
                         std::vector<double> &sampled) {
    const std::size_t N = potentials.size();
    std::vector<double> a(N), b(N, 0.0), weight(N + 1, 0.0);
    const double transient = checkedDivide(couple.n * couple.Dox, checkedSqrt(kPi * tp));
    const double steady = electrode == PulseElectrode::Spherical
                              ? checkedDivide(couple.n * couple.Dox * couple.Dox, c.radius)
                              : 0;
    for (std::size_t k = 0; k < N; ++k) {
        double F = reversibleShare(c, couple, potentials[k]);
        a[k] = checkedFinite(transient * F);
        b[k] = checkedFinite(steady * F);
    }
    for (std::size_t m = 1; m <= N; ++m)
        weight[m] = 1 / std::sqrt(static_cast<double>(m));
    superpose(N, sampled, [&](std::size_t k, std::size_t m) { return a[k] * weight[m] + b[k]; });
}

} // namespace

double NormalPulseCurrent(const TransportConditions &c, const Couple &couple,
                          PulseElectrode electrode, double Ebase, double Epulse, double td,
                          double tp) {
    requirePulseShorterThanDrop(td, tp);
    return twoStepCurrent(c, couple, electrode, Ebase, td - tp, Epulse, td);
}

double DiffPulseCurrent(const TransportConditions &c, const Couple &couple,
                        PulseElectrode electrode, double E, double dE, double td, double tp) {
    requirePulseShorterThanDrop(td, tp);
    double base = stepCurrent(c, couple, electrode, E, td - tp);
    double pulse = twoStepCurrent(c, couple, electrode, E, td - tp, E + dE, td);
    return checkedFinite(pulse - base);
}

void SquareWaveCurrents(const TransportConditions &c, const Couple &couple,
                        PulseElectrode electrode, std::span<const double> staircase,
                        std::span<const double> pulse, double tp, std::span<double> net) {
    if (!(tp > 0))
        throw RuntimeError(kDivisionByZero);
    const std::size_t points = staircase.size();
    std::vector<double> potentials(2 * points);
    for (std::size_t i = 0; i < points; ++i) {
        potentials[2 * i] = staircase[i] + pulse[i];
        potentials[2 * i + 1] = staircase[i] - pulse[i];
    }

    std::vector<StepResponse> responses;
    responses.reserve(potentials.size());
    bool reversible = true;
    for (double E : potentials) {
        responses.push_back(responseAt(c, couple, electrode, E));
        reversible = reversible && responses.back().kinetic * std::sqrt(tp) >= kReversibleRate;
    }

    std::vector<double> sampled(potentials.size(), 0.0);
    if (reversible)
        superposeReversible(c, couple, electrode, potentials, tp, sampled);
    else
        superpose(potentials.size(), sampled, [&](std::size_t k, std::size_t m) {
            return responses[k].at(static_cast<double>(m) * tp);
        });
    for (std::size_t i = 0; i < points; ++i)
        net[i] = checkedFinite(sampled[2 * i] - sampled[2 * i + 1]);
}

} // namespace kemvo
