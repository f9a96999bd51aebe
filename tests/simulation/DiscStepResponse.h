#pragma once
// The diffusion-limited current after a potential step at an inlaid disc of radius r,
// i = 4 n F D C r f(tau) with tau = 4 D t / r^2, from the two series of Aoki and Osteryoung,
// J. Electroanal. Chem. 160 (1984) 335 (Bard and Faulkner, 2nd ed., 5.3.2):
//   short times  f = (sqrt(pi)/2) tau^-1/2 + pi/4 + 0.094 tau^1/2,
//   long times   f = 1 + 0.71835 tau^-1/2 + 0.05626 tau^-3/2 - 0.00646 tau^-5/2
// (0.71835 = 4/pi^3/2 and pi/4 are exact). They meet at tau = 1.08. Far from there the terms
// left out (of order tau^3/2 and tau^-7/2) are small: below tau = 0.03 and above 3 a finely
// converged finite-difference solution agrees with them to 0.05 %; near their meeting both lie
// some 0.3 % above it. Shoup and Szabo's single expression is good to 0.6 % only.
//
// With equal diffusion coefficients and only A in the bulk, a reversible couple holds the
// fraction Q(E) = 1/(1 + exp(n f (E - E0))) of B at the whole surface as soon as the potential
// is E, so any programme of steps is the superposition of step responses of the changes of Q.

#include <cmath>
#include <vector>

namespace kemvo {

inline double discStepResponse(double tau) {
    if (tau < 1.08)
        return std::sqrt(M_PI / tau) / 2 + M_PI / 4 + 0.094 * std::sqrt(tau);
    return 1 + 0.71835 / std::sqrt(tau) + 0.05626 * std::pow(tau, -1.5) -
           0.00646 * std::pow(tau, -2.5);
}

class DiscSuperposition {
public:
    // nFCDr = n F C D r [A/4] (C in mol/cm^3), D [cm^2/s], r [cm], nf = n F/(R T) [1/V],
    // E0 [V].
    DiscSuperposition(double nFCDr, double D, double r, double nf, double E0)
        : scale_(4 * nFCDr), tauPerSecond_(4 * D / (r * r)), nf_(nf), E0_(E0) {}

    // The potential is E from time t [s] on (times in increasing order).
    void step(double t, double E) {
        const double Q = 1 / (1 + std::exp(nf_ * (E - E0_)));
        steps_.push_back({t, Q - lastQ_});
        lastQ_ = Q;
    }

    // [A] at time t after the last step, reduction positive.
    double current(double t) const {
        double sum = 0;
        for (const Step &s : steps_)
            sum += s.change * discStepResponse(tauPerSecond_ * (t - s.time));
        return scale_ * sum;
    }

private:
    struct Step {
        double time, change;
    };
    double scale_, tauPerSecond_, nf_, E0_;
    double lastQ_ = 0;
    std::vector<Step> steps_;
};

} // namespace kemvo
