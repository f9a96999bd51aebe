#pragma once
// The exact current of a Nernstian couple A + ne = B at a plane (equal D, only A in the bulk)
// under a potential that jumps at t = 0 from rest to E(0) and then runs piecewise linearly
// through given corners. With theta = exp(n f (E - E0)) the surface holds A in the share
// theta/(1 + theta), so the semi-integral of the current is n F A sqrt(D) C* g(t) with
// g = 1/(1 + theta) (Oldham and Spanier; Nicholson and Shain 1964), and the current is the
// Riemann-Liouville semi-derivative
//   i(t) = n F A sqrt(D) C* [g(0) / sqrt(pi t) + (1/sqrt(pi)) int_0^t g'(u) / sqrt(t - u) du],
// integrated here with u = t - s^2 (no singularity) by Gauss-Legendre on panels split at the
// corners, where g' jumps. Accurate to about 1e-7 of the peak.

#include <cmath>
#include <utility>
#include <vector>

namespace kemvo {

class NernstianSweepReference {
public:
    // corners: (time [s], potential [V]) from (0, E(0)); E is linear between them and constant
    // after the last. nf = n F/(R T) [1/V]; scale = n F A sqrt(D) C* [A s^0.5].
    NernstianSweepReference(std::vector<std::pair<double, double>> corners, double nf, double e0,
                            double scale)
        : corners_(std::move(corners)), nf_(nf), e0_(e0), scale_(scale) {}

    // The reduction current [A] (positive) at time t > 0 [s].
    double current(double t) const {
        double integral = 0;
        double sFrom = 0; // s = sqrt(t - u): from u = t back to u = 0
        for (auto corner = corners_.rbegin(); corner != corners_.rend(); ++corner) {
            if (corner->first >= t || corner->first <= 0)
                continue;
            const double sTo = std::sqrt(t - corner->first);
            integral += panelIntegral(t, sFrom, sTo);
            sFrom = sTo;
        }
        integral += panelIntegral(t, sFrom, std::sqrt(t));
        return scale_ * (g(0) / std::sqrt(M_PI * t) + integral / std::sqrt(M_PI));
    }

private:
    double potential(double u) const {
        for (std::size_t k = 1; k < corners_.size(); ++k)
            if (u <= corners_[k].first) {
                const auto &[t0, e0] = corners_[k - 1];
                const auto &[t1, e1] = corners_[k];
                return e0 + (e1 - e0) * (u - t0) / (t1 - t0);
            }
        return corners_.back().second;
    }
    double slope(double u) const {
        for (std::size_t k = 1; k < corners_.size(); ++k)
            if (u < corners_[k].first)
                return (corners_[k].second - corners_[k - 1].second) /
                       (corners_[k].first - corners_[k - 1].first);
        return 0;
    }
    double g(double u) const { return 1 / (1 + std::exp(nf_ * (potential(u) - e0_))); }
    double gPrime(double u) const {
        const double theta = std::exp(nf_ * (potential(u) - e0_));
        return -nf_ * slope(u) * theta / ((1 + theta) * (1 + theta));
    }
    // int over s of 2 g'(t - s^2) from s0 to s1, where g' is smooth.
    double panelIntegral(double t, double s0, double s1) const {
        static constexpr double x[] = {-0.8611363115940526, -0.3399810435848563,
                                       0.3399810435848563, 0.8611363115940526};
        static constexpr double w[] = {0.3478548451374538, 0.6521451548625461,
                                       0.6521451548625461, 0.3478548451374538};
        constexpr int panels = 400;
        const double h = (s1 - s0) / panels;
        double sum = 0;
        for (int p = 0; p < panels; ++p)
            for (int k = 0; k < 4; ++k) {
                const double s = s0 + h * (p + 0.5 + 0.5 * x[k]);
                sum += w[k] * 2 * gPrime(t - s * s) * h / 2;
            }
        return sum;
    }

    std::vector<std::pair<double, double>> corners_;
    double nf_, e0_, scale_;
};

} // namespace kemvo
