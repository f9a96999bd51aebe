#include "simulation/PulseCurrents.h"

#include "shell/Constants.h"
#include "simulation/CheckedMath.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <initializer_list>
#include <vector>

namespace kemvo {
namespace {

// H sqrt(tp) above which a step is reversible for the square wave's sum: exp(x^2) erfc(x)
// differs from 1/(x sqrt(pi)) by the factor 1 - 1/(2 x^2), here 5e-7.
constexpr double kReversibleRate = 1e3;

// Sub-steps of the kinetic integral equation per interval of constant potential: the base
// period and the pulse of a drop, a half-period of the square wave.
constexpr int kDropSubSteps = 40;
constexpr int kHalfPeriodSubSteps = 32;

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

// The flux of a couple with Butler-Volmer kinetics under a programme of potentials, from the
// integral equation of planar (or, with equal D, spherical) diffusion. The surface holds
// Cox - I/Dox of A and Cred + I/Dred of B, where I is the semi-integral of the flux j at a
// plane, or its convolution with 1/sqrt(pi t) - a exp(a^2 t) erfc(a sqrt(t)), a = Dox/r0, at a
// sphere; so j is the semi-derivative of I, plus a I at a sphere (their Laplace transforms are
// I = j/(sqrt(s) + a)). With j = kf (Cox - I/Dox) - kb (Cred + I/Dred) at every instant, I is
// taken piecewise linear on sub-steps that grow geometrically from every change of potential,
// the first resolving the kinetic time 1/H^2; a fast jump of I costs one short sub-step and not
// an error.
class KineticConvolution {
public:
    KineticConvolution(const TransportConditions &c, const Couple &couple, PulseElectrode electrode,
                       int subSteps)
        : c_(c), couple_(couple), subSteps_(subSteps),
          a_(electrode == PulseElectrode::Spherical ? checkedDivide(couple.Dox, c.radius) : 0) {
        times_.push_back(0);
        integral_.push_back(0);
        slopes_.push_back(0);
    }

    // Holds E [V] for a time [s]; returns the flux at the end, n j in the units of the step
    // functions.
    double hold(double E, double duration) {
        const StepResponse r = responseAt(c_, couple_, PulseElectrode::Planar, E);
        const double drive = checkedDivide(r.K, couple_.n); // kf Cox - kb Cred
        const double start = times_.back();
        const std::size_t startNode = times_.size() - 1;
        // The distant intervals' share changes smoothly over this one: linear between its ends.
        distantAtStart_ = distantHistory(start);
        distantRate_ = (distantHistory(start + duration) - distantAtStart_) / duration;
        distantFrom_ = start;
        // The first sub-step resolves the kinetic time 1/H^2 of the new potential.
        const double share =
            std::clamp(0.3 / (r.kinetic * r.kinetic * duration), kFinestShare, kCoarsestShare);
        const double growth = growthFor(subSteps_, share);
        double reached = 0, h = duration * share, flux = 0;
        for (int q = 1; q <= subSteps_; ++q, h *= growth) {
            reached = q == subSteps_ ? duration : reached + h;
            flux = advance(drive, r.kinetic, start + reached);
        }
        closeInterval(startNode);
        return checkedFinite(couple_.n * flux);
    }

private:
    // Ratio q of N sub-steps whose first is the share s of the interval: s (q^N - 1)/(q - 1) = 1.
    static double growthFor(int N, double s) {
        double lo = 1, hi = 4;
        for (int k = 0; k < 60; ++k) {
            double q = (lo + hi) / 2;
            (s * (std::pow(q, N) - 1) / (q - 1) > 1 ? hi : lo) = q;
        }
        return (lo + hi) / 2;
    }

    // Integral of the semi-derivative's kernel 1/sqrt(pi t) from 0 to tau.
    static double cumulative(double tau) { return 2 * std::sqrt(tau / kPi); }

    // One sub-step to time t: with j = drive - H I at t and j = the semi-derivative of I (plus
    // a I at a sphere), I(t) is linear in the unknown last slope.
    double advance(double drive, double H, double t) {
        const std::size_t n = times_.size();
        double history = distantAtStart_ + distantRate_ * (t - distantFrom_);
        const std::size_t recent = recentFirstNode();
        double later = cumulative(t - times_[recent - 1]);
        for (std::size_t i = recent; i < n; ++i) {
            double earlier = later;
            later = cumulative(t - times_[i]);
            history += slopes_[i] * (earlier - later);
        }
        const double h = t - times_.back();
        const double weight = later / h; // cumulative(h) / h
        const double previous = integral_.back();
        const double I = checkedFinite((drive - history + previous * weight) / (H + weight + a_));
        times_.push_back(t);
        integral_.push_back(I);
        slopes_.push_back((I - previous) / h);
        return drive - H * I;
    }

    // First node whose slope is convolved sub-step by sub-step: that of the oldest of the last
    // kExactIntervals intervals.
    std::size_t recentFirstNode() const {
        if (intervalEnds_.size() <= kExactIntervals)
            return 1;
        return intervalEnds_[intervalEnds_.size() - kExactIntervals - 1] + 1;
    }

    // Intervals further back see a kernel that varies little across them. They are kept as
    // blocks, each with its rise of I and the first moment of that rise about its middle: the
    // mean slope is convolved exactly and the moment times the kernel's slope at the middle
    // places a rise crowded at one end. Blocks merge while they stay shorter than an eighth of
    // their distance, so a long square wave costs a sum over a few blocks per sub-step.
    struct Block {
        double t0, t1, I0, I1; // [s] and [mol/L cm/s^0.5] at its ends
        double moment;         // of the rise of I about (t0 + t1)/2
    };

    double distantHistory(double t) const {
        double history = 0;
        for (const Block &b : distant_)
            history +=
                (b.I1 - b.I0) / (b.t1 - b.t0) * (cumulative(t - b.t0) - cumulative(t - b.t1)) +
                b.moment * kernelFall(t - (b.t0 + b.t1) / 2);
        return history;
    }

    static Block merged(const Block &a, const Block &b) {
        const double middle = (a.t0 + b.t1) / 2;
        return {a.t0, b.t1, a.I0, b.I1,
                a.moment + b.moment + (a.I1 - a.I0) * ((a.t0 + a.t1) / 2 - middle) +
                    (b.I1 - b.I0) * ((b.t0 + b.t1) / 2 - middle)};
    }

    void makeDistant(const Block &block) {
        distant_.push_back(block);
        const double now = times_.back();
        for (std::size_t i = 0; i + 1 < distant_.size();) {
            if (distant_[i + 1].t1 - distant_[i].t0 <= (now - distant_[i + 1].t1) / kBlockRatio) {
                distant_[i] = merged(distant_[i], distant_[i + 1]);
                distant_.erase(distant_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            } else {
                ++i;
            }
        }
    }

    // -d/dtau of 1/sqrt(pi tau).
    static double kernelFall(double tau) { return 0.5 / (std::sqrt(kPi * tau) * tau); }

    // The interval just held as a block, its moment (t1 - t0)(I0 + I1)/2 - the integral of I
    // (I piecewise linear); the oldest of the exact intervals joins the distant blocks.
    void closeInterval(std::size_t begin) {
        const std::size_t end = times_.size() - 1;
        double area = 0;
        for (std::size_t i = begin + 1; i <= end; ++i)
            area += (times_[i] - times_[i - 1]) * (integral_[i] + integral_[i - 1]) / 2;
        const double span = times_[end] - times_[begin];
        exact_.push_back({times_[begin], times_[end], integral_[begin], integral_[end],
                          span * (integral_[end] + integral_[begin]) / 2 - area});
        intervalEnds_.push_back(end);
        if (exact_.size() > kExactIntervals) {
            makeDistant(exact_.front());
            exact_.pop_front();
        }
    }

    static constexpr std::size_t kExactIntervals = 8;
    static constexpr double kBlockRatio = 8;
    static constexpr double kFinestShare = 1e-6, kCoarsestShare = 1e-2;
    TransportConditions c_;
    Couple couple_;
    int subSteps_;
    double a_;
    std::vector<double> times_, integral_, slopes_;
    std::vector<std::size_t> intervalEnds_; // last node of every interval held so far
    std::deque<Block> exact_;               // the last kExactIntervals of them
    std::vector<Block> distant_;            // the earlier ones, oldest first
    double distantAtStart_ = 0, distantRate_ = 0, distantFrom_ = 0;
};

// A couple whose every potential of the programme is reversible on the time scale tp.
bool reversibleAt(const TransportConditions &c, const Couple &couple, double tp,
                  std::initializer_list<double> potentials) {
    for (double E : potentials)
        if (responseAt(c, couple, PulseElectrode::Planar, E).kinetic * std::sqrt(tp) <
            kReversibleRate)
            return false;
    return true;
}

} // namespace

double NormalPulseCurrent(const TransportConditions &c, const Couple &couple,
                          PulseElectrode electrode, double Ebase, double Epulse, double td,
                          double tp) {
    requirePulseShorterThanDrop(td, tp);
    if (reversibleAt(c, couple, tp, {Ebase, Epulse}))
        return twoStepCurrent(c, couple, electrode, Ebase, td - tp, Epulse, td);
    KineticConvolution drop(c, couple, electrode, kDropSubSteps);
    drop.hold(Ebase, td - tp);
    return drop.hold(Epulse, tp);
}

double DiffPulseCurrent(const TransportConditions &c, const Couple &couple,
                        PulseElectrode electrode, double E, double dE, double td, double tp) {
    requirePulseShorterThanDrop(td, tp);
    if (reversibleAt(c, couple, tp, {E, E + dE})) {
        double base = stepCurrent(c, couple, electrode, E, td - tp);
        double pulse = twoStepCurrent(c, couple, electrode, E, td - tp, E + dE, td);
        return checkedFinite(pulse - base);
    }
    KineticConvolution drop(c, couple, electrode, kDropSubSteps);
    double base = drop.hold(E, td - tp);
    return checkedFinite(drop.hold(E + dE, tp) - base);
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

    bool reversible = true;
    for (double E : potentials)
        reversible = reversible && reversibleAt(c, couple, tp, {E});

    std::vector<double> sampled(potentials.size(), 0.0);
    if (reversible) {
        superposeReversible(c, couple, electrode, potentials, tp, sampled);
    } else {
        KineticConvolution run(c, couple, electrode, kHalfPeriodSubSteps);
        for (std::size_t k = 0; k < potentials.size(); ++k)
            sampled[k] = run.hold(potentials[k], tp);
    }
    for (std::size_t i = 0; i < points; ++i)
        net[i] = checkedFinite(sampled[2 * i] - sampled[2 * i + 1]);
}

} // namespace kemvo
