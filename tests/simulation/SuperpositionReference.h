#pragma once
// The current of a reversible couple A + ne = B at a plane under any sequence of potential
// steps, by superposition: with equal diffusion coefficients and only A in the bulk, the
// surface holds the fraction Q(E) = 1/(1 + exp(n f (E - E1/2))) of B as soon as the potential
// is E, and each step at t_k from Q_{k-1} to Q_k adds the Cottrell current of its change,
// n F A C sqrt(D/pi) (Q_k - Q_{k-1})/sqrt(t - t_k) (Bard and Faulkner, 5.2.11 and 7.3). With
// unequal D at a plane, sqrt(DA) C_A + sqrt(DB) C_B keeps its bulk value at the surface, so the
// same holds with D of A and E1/2 = E0 + (RT/2nF) ln(DB/DA) (5.4.22). Reduction counts
// positive here.

#include <cmath>
#include <vector>

namespace kemvo {

class SuperpositionReference {
public:
    // nFAC [C/cm], D [cm^2/s] of A, nf = n F/(R T) [1/V], Ehalf [V].
    SuperpositionReference(double nFAC, double D, double nf, double Ehalf)
        : scale_(nFAC * std::sqrt(D / M_PI)), nf_(nf), Ehalf_(Ehalf) {}

    // The potential is E from time t [s] on (times in increasing order).
    void step(double t, double E) {
        double Q = 1 / (1 + std::exp(nf_ * (E - Ehalf_)));
        steps_.push_back({t, Q - lastQ_});
        lastQ_ = Q;
    }

    // [A] at time t, after the last step.
    double current(double t) const {
        double sum = 0;
        for (const Step &s : steps_)
            sum += s.change * scale_ / std::sqrt(t - s.time);
        return sum;
    }

    void restart() {
        steps_.clear();
        lastQ_ = 0;
    }

private:
    struct Step {
        double time, change;
    };
    double scale_, nf_, Ehalf_;
    double lastQ_ = 0; // at rest only A: no B at the surface
    std::vector<Step> steps_;
};

} // namespace kemvo
