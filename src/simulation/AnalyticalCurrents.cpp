#include "simulation/AnalyticalCurrents.h"

#include "shell/Constants.h"
#include "simulation/CheckedMath.h"

#include <cmath>

namespace kemvo {
namespace {

// Butler-Volmer rate constants [cm/s] and the kinetic driving term K of one step.
struct Kinetics {
    double kf = 0;
    double kb = 0;
    double K = 0;
};

Kinetics kineticsAt(const TransportConditions &c, double E, double ks, double alpha, double n,
                    double E0, double Cox, double Cred) {
    double phi = n * c.fOverRT * (E - E0);
    Kinetics k;
    k.kf = checkedFinite(ks * checkedExp(-alpha * phi));
    k.kb = checkedFinite(ks * checkedExp((1 - alpha) * phi));
    k.K = checkedFinite(n * (k.kf * Cox - k.kb * Cred));
    return k;
}

// exp(x^2) erfc(x) for x >= 1.5 by its continued fraction, in the variable x sqrt(2).
double continuedFraction(double x) {
    constexpr double s = 1.4142136;
    constexpr double q = 1.7724539;
    double terms = std::floor(32 / x) + 2;
    double v = 1 / (x * s);
    do {
        v = 1 / (x * s + terms * v);
        terms -= 1;
    } while (terms != 0);
    return v * s / q;
}

// exp(x^2) (1 - erf(x)) for |x| < 1.5, erf by its power series.
double seriesForm(double x) {
    double terms = std::floor(9 * std::fabs(x)) + 2;
    double x2 = x * x;
    double v = terms / (terms + x2);
    do {
        v = 1 + v * (0.5 - terms) * x2 / (terms * (terms + 0.5));
        terms -= 1;
    } while (terms != 0);
    double erf = 2 * v * x / 1.7724539;
    return (1 - erf) * std::exp(x2);
}

} // namespace

double ExpErfc(double x) {
    if (std::fabs(x) < 1.5)
        return seriesForm(x);
    if (x > 0)
        return continuedFraction(x);
    // erfc(-x) = 2 - erfc(x)
    double reflected = 2 * checkedExp(x * x);
    return reflected - continuedFraction(-x);
}

double StepCurrentPlanar(const TransportConditions &c, double E, double ks, double alpha, double n,
                         double E0, double Cox, double Dox, double t, double /*td*/, double Cred,
                         double Dred, double /*X*/) {
    Kinetics k = kineticsAt(c, E, ks, alpha, n, E0, Cox, Cred);
    double H = checkedDivide(k.kf, Dox) + checkedDivide(k.kb, Dred);
    return checkedFinite(k.K * ExpErfc(checkedFinite(H * checkedSqrt(t))));
}

double StepCurrentSpherical(const TransportConditions &c, double E, double ks, double alpha,
                            double n, double E0, double Cox, double Dox, double t, double /*td*/,
                            double Cred, double Dred, double /*X*/) {
    Kinetics k = kineticsAt(c, E, ks, alpha, n, E0, Cox, Cred);
    double S = checkedDivide(Dox, c.radius);
    double H = checkedFinite(checkedDivide(k.kb, Dred) + checkedDivide(k.kf, Dox) + S);
    double gamma = checkedDivide(S, H);
    double transient = ExpErfc(checkedFinite(H * checkedSqrt(t)));
    return checkedFinite(k.K * (gamma + (1 - gamma) * transient));
}

double RotatingDiskCurrent(const TransportConditions &c, double E, double ks, double alpha,
                           double n, double E0, double Cox, double Dox, double /*t*/, double /*td*/,
                           double Cred, double Dred, double /*X*/) {
    Kinetics k = kineticsAt(c, E, ks, alpha, n, E0, Cox, Cred);
    double L = 0.62 * checkedPow(c.viscosity, -1 / 6.0) * checkedSqrt(c.rotationRate);
    double kinetic =
        checkedFinite(k.kb * checkedPow(Dred, -2 / 3.0) + k.kf * checkedPow(Dox, -2 / 3.0));
    return checkedFinite(k.K / (1 + checkedDivide(kinetic, L)));
}

double CatalyticStep(const TransportConditions &c, double E, double n, double E0, double Cox,
                     double Dox, double kcat, double t, double Cred) {
    // (Cox - Cred e^phi) / (1 + e^phi), written with e^-|phi| so that it cannot overflow.
    const double phi = n * c.fOverRT * (E - E0);
    const double e = std::exp(-std::fabs(phi));
    const double deficit = phi > 0 ? (Cox * e - Cred) / (e + 1) : (Cox - Cred * e) / (1 + e);
    const double kt = checkedFinite(kcat * t);
    const double transient = checkedDivide(std::exp(-kt), checkedSqrt(kPi * t));
    const double catalytic = checkedSqrt(kcat) * std::erf(checkedSqrt(kt));
    return checkedFinite(n * Dox * deficit * (catalytic + transient));
}

} // namespace kemvo
