#pragma once
// An explicit finite-difference reference for a couple A + ne = B with Butler-Volmer kinetics at
// a plane (equal D, only A in the bulk) under any programme of potential steps: a uniform grid
// stepped at D dt/dx^2 <= 0.4, the electrode node a half cell whose reaction is taken at the new
// time level. With sqrt(D tp)/20 its differential-pulse currents are within 0.25 % of the peak
// of a Crank-Nicolson solution on a grid 2.5 times finer (worked out once, alpha 0.3 and 0.7).

#include <algorithm>
#include <cmath>
#include <vector>

namespace kemvo {

class KineticReference {
public:
    // D [cm^2/s], nf = n F/(R T) [1/V], E0 [V], ks [cm/s], dx and length [cm].
    KineticReference(double D, double nf, double E0, double ks, double alpha, double dx,
                     double length)
        : D_(D), nf_(nf), E0_(E0), ks_(ks), alpha_(alpha), dx_(dx),
          A_(static_cast<std::size_t>(length / dx) + 2), B_(A_.size()), next_(A_.size()) {
        restart();
    }

    void restart() {
        std::fill(A_.begin(), A_.end(), 1.0);
        std::fill(B_.begin(), B_.end(), 0.0);
    }

    // Holds E [V] for a time t [s]; returns the reduction flux at the end, in [cm/s] times the
    // bulk concentration.
    double hold(double E, double t) {
        const int steps = static_cast<int>(std::ceil(t / (0.4 * dx_ * dx_ / D_)));
        const double dt = t / steps, lambda = D_ * dt / (dx_ * dx_), r = 2 * dt / dx_;
        const double phi = nf_ * (E - E0_);
        const double kf = ks_ * std::exp(-alpha_ * phi), kb = ks_ * std::exp((1 - alpha_) * phi);
        for (int k = 0; k < steps; ++k) {
            diffuse(A_, lambda, 1.0);
            diffuse(B_, lambda, 0.0);
            // The half cell: A0 = A* - r (kf A0 - kb B0) with A0 + B0 = A* + B*, the starred
            // values after diffusion alone.
            const double sum = A_[0] + B_[0];
            A_[0] = (A_[0] + r * kb * sum) / (1 + r * (kf + kb));
            B_[0] = sum - A_[0];
        }
        return kf * A_[0] - kb * B_[0];
    }

private:
    // One explicit diffusion step of c, the far node held at bulk; the electrode's half cell
    // receives diffusion alone.
    void diffuse(std::vector<double> &c, double lambda, double bulk) {
        const std::size_t last = c.size() - 1;
        next_[0] = c[0] + 2 * lambda * (c[1] - c[0]);
        for (std::size_t j = 1; j < last; ++j)
            next_[j] = c[j] + lambda * (c[j + 1] - 2 * c[j] + c[j - 1]);
        next_[last] = bulk;
        std::swap(c, next_);
    }

    double D_, nf_, E0_, ks_, alpha_, dx_;
    std::vector<double> A_, B_, next_; // concentrations over the bulk one of A
};

} // namespace kemvo
