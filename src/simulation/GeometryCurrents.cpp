#include "simulation/GeometryCurrents.h"

#include "shell/Constants.h"
#include "simulation/CheckedMath.h"

#include <algorithm>
#include <cmath>

namespace kemvo {
namespace {

// Largest potential change [V] over which the thin layer's rate constants are held.
constexpr double kThinLayerSubstep = 1e-4;

struct RateConstants {
    double kf = 0; // [cm/s] reduction
    double kb = 0; // [cm/s] oxidation
};

RateConstants rateConstants(const TransportConditions &c, double E, double ks, double alpha,
                            double n, double E0) {
    const double phi = n * c.fOverRT * (E - E0);
    return {checkedFinite(ks * checkedExp(-alpha * phi)),
            checkedFinite(ks * checkedExp((1 - alpha) * phi))};
}

using TransferCoefficient = double (*)(double D, double r, double t);

double stepCurrent(TransferCoefficient transfer, double size, const TransportConditions &c,
                   double E, double ks, double alpha, double n, double E0, double Cox, double Dox,
                   double t, double Cred, double Dred) {
    const RateConstants k = rateConstants(c, E, ks, alpha, n, E0);
    const double K = checkedFinite(n * (k.kf * Cox - k.kb * Cred));
    const double mO = transfer(Dox * Dox, size, t);
    const double mR = transfer(Dred * Dred, size, t);
    // A transport that has stopped (an exhausted film) carries no current.
    if (mO == 0 && mR == 0)
        return 0;
    const double quasiSteady = checkedDivide(K * mO * mR, mO * mR + k.kf * mR + k.kb * mO);
    const double x =
        checkedFinite((checkedDivide(k.kf, Dox) + checkedDivide(k.kb, Dred)) * checkedSqrt(t));
    // exp(x^2) erfc(x) (1 + sqrt(pi) x) tends to 1 for large x; its continued fraction is
    // accurate there, and the product stays finite.
    const double planarKinetics = ExpErfc(x) * (1 + kSqrtPi * x);
    return checkedFinite(quasiSteady * planarKinetics);
}

} // namespace

double microdiscTransferCoefficient(double D, double r, double t) {
    const double inverseRootTau = checkedDivide(r, 2 * checkedSqrt(D * t));
    const double f = 0.7854 + 0.8862 * inverseRootTau + 0.2146 * std::exp(-0.7823 * inverseRootTau);
    return checkedFinite(4 * D * f / (kPi * r));
}

double cylinderTransferCoefficient(double D, double r, double t) {
    constexpr double eulerGamma = 0.5772;
    const double tau = checkedDivide(D * t, r * r);
    const double rootPiTau = checkedSqrt(kPi * tau);
    const double transient = checkedDivide(std::exp(-0.1 * rootPiTau), rootPiTau);
    const double longTime =
        1 / std::log(std::sqrt(4 * std::exp(-eulerGamma) * tau) + std::exp(5.0 / 3.0));
    return checkedFinite(D / r * (transient + longTime));
}

double filmTransferCoefficient(double D, double L, double t) {
    const double tau = checkedDivide(D * t, L * L);
    double sum = 0;
    if (tau < 1) {
        // Images of the electrode in the wall; exp(-k^2/tau) < 1e-17 by k = 7.
        for (int k = 1; k <= 7; ++k)
            sum += (k % 2 == 0 ? 2 : -2) * std::exp(-k * k / tau);
        return checkedFinite(checkedSqrt(D / (kPi * t)) * (1 + sum));
    }
    // The film's slowest modes; exp(-(2m+1)^2 pi^2 tau / 4) < 1e-17 by m = 3.
    for (int m = 0; m <= 3; ++m)
        sum += std::exp(-(2 * m + 1) * (2 * m + 1) * kPi * kPi * tau / 4);
    return checkedFinite(2 * D / L * sum);
}

double StepCurrentMicrodisc(const TransportConditions &c, double E, double ks, double alpha,
                            double n, double E0, double Cox, double Dox, double t, double /*td*/,
                            double Cred, double Dred, double /*X*/) {
    return stepCurrent(microdiscTransferCoefficient, c.radius, c, E, ks, alpha, n, E0, Cox, Dox, t,
                       Cred, Dred);
}

double StepCurrentCylindrical(const TransportConditions &c, double E, double ks, double alpha,
                              double n, double E0, double Cox, double Dox, double t, double /*td*/,
                              double Cred, double Dred, double /*X*/) {
    return stepCurrent(cylinderTransferCoefficient, c.radius, c, E, ks, alpha, n, E0, Cox, Dox, t,
                       Cred, Dred);
}

double StepCurrentThinFilm(const TransportConditions &c, double E, double ks, double alpha,
                           double n, double E0, double Cox, double Dox, double t, double /*td*/,
                           double Cred, double Dred, double /*X*/) {
    return stepCurrent(filmTransferCoefficient, c.thickness, c, E, ks, alpha, n, E0, Cox, Dox, t,
                       Cred, Dred);
}

double cylinderEndShare(double radius, double length) {
    return checkedDivide(radius, radius + 2 * length);
}

double steadyCurrentFactor(int electrode) {
    return electrode == 4 ? 4 / kPi : 1.0;
}

ThinLayer::ThinLayer(const TransportConditions &c, double ks, double alpha, double n, double E0,
                     double Cox, double Cred, double thickness, double scanRate,
                     double startPotential)
    : conditions_(c), ks_(ks), alpha_(alpha), n_(n), e0_(E0), total_(Cox + Cred), oxidised_(Cox),
      thickness_(thickness), scanRate_(std::fabs(scanRate)), potential_(startPotential) {}

double ThinLayer::sweepTo(double E) {
    const double change = E - potential_;
    if (change == 0)
        return current_;
    const int substeps =
        std::max(1, static_cast<int>(std::ceil(std::fabs(change) / kThinLayerSubstep)));
    const double duration = checkedDivide(std::fabs(change) / substeps, scanRate_);
    const double start = potential_;
    for (int s = 1; s <= substeps; ++s)
        advance(start + change * (s - 0.5) / substeps, duration);
    potential_ = E;
    return current_;
}

// Holds the middle potential E [V] for `duration` [s]: Cox relaxes exponentially towards its
// equilibrium kb C / (kf + kb) at the rate (kf + kb) / L.
void ThinLayer::advance(double E, double duration) {
    const RateConstants k = rateConstants(conditions_, E, ks_, alpha_, n_, e0_);
    const double sum = checkedFinite(k.kf + k.kb);
    const double equilibrium = checkedDivide(k.kb * total_, sum);
    const double decay = std::exp(-checkedDivide(sum * duration, thickness_));
    const double before = oxidised_;
    oxidised_ = equilibrium + (before - equilibrium) * decay;
    current_ = checkedFinite(n_ * thickness_ * (before - oxidised_) / duration);
}

} // namespace kemvo
