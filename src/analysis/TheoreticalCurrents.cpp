#include "analysis/TheoreticalCurrents.h"

#include "shell/Constants.h"
#include "shell/RuntimeError.h"
#include "simulation/CheckedMath.h"
#include "simulation/GeometryCurrents.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kemvo::theory {
namespace {

// Surface fraction of the oxidised form of a reversible couple with equal diffusion
// coefficients at x = nf (E - E1/2): c_O(0)/C = 1 / (1 + exp(-x)).
double oxidisedFraction(double x) {
    return 1.0 / (1.0 + std::exp(-x));
}

// Dimensionless current at the end of half cycle k (1-based) after the surface fraction went
// through z[0] = 1 (the bulk), z[1], ..., z[k]: the superposition of the Cottrell responses of
// its steps, sum over m of (z[m-1] - z[m]) / sqrt(k - m + 1).
double superposedCurrent(const std::vector<double> &z, std::size_t k) {
    double sum = 0;
    for (std::size_t m = 1; m <= k; ++m)
        sum += (z[m - 1] - z[m]) / std::sqrt(static_cast<double>(k - m + 1));
    return sum;
}

} // namespace

double reversibleSweepPeak(double nFQ, double nf, double v, double D) {
    return checkedFinite(0.4463 * nFQ * checkedSqrt(nf * v * D));
}

double reversibleSweepPeakShift(double nf) {
    return checkedDivide(1.109, nf);
}

double irreversibleSweepPeak(double nFQ, double alphaNf, double v, double D) {
    return checkedFinite(0.4958 * nFQ * checkedSqrt(alphaNf * v * D));
}

double irreversibleSweepPeakShift(double alphaNf, double v, double D, double ks) {
    double rate = checkedDivide(checkedSqrt(alphaNf * v * D), ks);
    return checkedDivide(0.78 + checkedLog(rate), alphaNf);
}

double sphereSweepPeak(double nFQ, double nf, double v, double D, double r0) {
    return checkedFinite(reversibleSweepPeak(nFQ, nf, v, D) + 0.752 * nFQ * checkedDivide(D, r0));
}

double microdiscSweepPeak(double nFC, double nf, double v, double D, double r0) {
    const double p = r0 * checkedSqrt(checkedDivide(nf * v, D));
    const double shape =
        0.34 * std::exp(-0.66 * p) + 0.66 - 0.13 * std::exp(-checkedDivide(11, p)) + 0.351 * p;
    return checkedFinite(4 * nFC * D * r0 * shape);
}

double thinLayerSweepPeak(double nFQ, double nf, double v, double L) {
    return checkedFinite(nFQ * nf * v * L / 4);
}

double levichCurrent(double nFQ, double D, double omega, double nu) {
    return checkedFinite(0.62 * nFQ * checkedPow(D, 2.0 / 3.0) * checkedSqrt(omega) *
                         checkedPow(nu, -1.0 / 6.0));
}

double cottrellCurrent(double nFQ, double D, double t) {
    return checkedFinite(nFQ * checkedSqrt(checkedDivide(D, kPi * t)));
}

double sphereStepCurrent(double nFQ, double D, double t, double r0) {
    return checkedFinite(nFQ * D *
                         (checkedDivide(1, checkedSqrt(kPi * D * t)) + checkedDivide(1, r0)));
}

// The disc's area times its mass-transfer coefficient, Shoup and Szabo's 4 D f(tau) / (pi r0).
double microdiscStepCurrent(double nFC, double D, double t, double r0) {
    return checkedFinite(nFC * kPi * r0 * r0 * microdiscTransferCoefficient(D, r0, t));
}

// n F A C times the cylinder's mass-transfer coefficient (Szabo et al.'s all-time expression).
double cylinderStepCurrent(double nFQ, double D, double t, double r0) {
    return checkedFinite(nFQ * cylinderTransferCoefficient(D, r0, t));
}

double irreversibleStepHalfwaveShift(double alphaNf, double ks, double td, double D) {
    return checkedDivide(checkedLog(2.31 * ks * checkedSqrt(checkedDivide(td, D))), alphaNf);
}

double differentialPulsePeak(double nFQ, double nf, double D, double tp, double dE) {
    const double sigma = checkedExp(nf * dE / 2);
    return checkedFinite(cottrellCurrent(nFQ, D, tp) * (sigma - 1) / (sigma + 1));
}

double squareWaveNetPeak(double stepNf, double amplitudeNf) {
    // The staircase starts where even the forward half cycle leaves the surface fraction within
    // exp(-30) of the bulk, and runs two points past the half-wave potential.
    constexpr double kStartBeyondWave = 30;
    constexpr double kMostHalfCycles = 2e6;
    const double pointsBefore = std::ceil((kStartBeyondWave + amplitudeNf) / stepNf);
    if (!(pointsBefore * 2 < kMostHalfCycles))
        throw RuntimeError("The potential step is too small for the square-wave peak");
    const auto atHalfWave = static_cast<std::size_t>(pointsBefore);
    const std::size_t points = atHalfWave + 3;

    // z[2j+1] and z[2j+2]: forward and reverse half cycles around base point j.
    std::vector<double> z(2 * points + 1, 1.0);
    for (std::size_t j = 0; j < points; ++j) {
        const double base = (static_cast<double>(atHalfWave) - static_cast<double>(j)) * stepNf;
        z[2 * j + 1] = oxidisedFraction(base - amplitudeNf);
        z[2 * j + 2] = oxidisedFraction(base + amplitudeNf);
    }
    double peak = 0;
    for (std::size_t j = atHalfWave >= 2 ? atHalfWave - 2 : 0; j < points; ++j)
        peak = std::max(peak, superposedCurrent(z, 2 * j + 1) - superposedCurrent(z, 2 * j + 2));
    return checkedFinite(peak);
}

double catalyticCurrent(double nFQ, double k, double D) {
    return checkedFinite(nFQ * checkedSqrt(k * D));
}

} // namespace kemvo::theory
