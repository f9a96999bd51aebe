// The pulse techniques of the finite-difference engine against the exact response of a
// reversible planar couple (E0 = 0.1 V, equal D) to the program's own waveforms.

#include "Simulation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace kemvo {
namespace {

// For a reversible couple with equal diffusion coefficients the surface stays at the Nernstian
// fraction Q(E) = 1/(1 + exp(nf(E - E1/2))) of reduced species, so the response to a sequence
// of potential steps is exact by superposition: a step at t_k from Q_(k-1) to Q_k adds
// n F A C sqrt(D/pi) (Q_k - Q_(k-1)) / sqrt(t - t_k) to the reduction current (Bard and
// Faulkner, 5.4 and 7.3). Currents here count reduction positive.
class StepSuperposition {
public:
    void step(double t, double potential) {
        const double q = 1 / (1 + std::exp(kf * (potential - 0.1)));
        steps_.push_back({t, q - last_});
        last_ = q;
    }
    double current(double t) const {
        double sum = 0;
        for (const Step &s : steps_)
            if (s.t < t)
                sum += s.dq / std::sqrt(t - s.t);
        return kFAC * std::sqrt(kD / M_PI) * sum;
    }

private:
    struct Step {
        double t, dq;
    };
    std::vector<Step> steps_;
    double last_ = 0; // at rest, nothing reduced
};

// The largest deviation of the simulated reduction current from `reference`, over the
// reference's largest magnitude.
template <class Reference> double worstDeviation(const Simulation &run, Reference reference) {
    double worst = 0, peak = 0;
    for (int p = 1; p <= run.state.pointCount; ++p) {
        const double expected = reference(p);
        peak = std::max(peak, std::abs(expected));
        worst = std::max(worst, std::abs(-run.total(p) - expected));
    }
    return worst / peak;
}

TEST(DigitalPulses, NormalPulseFollowsTheExactStepResponse) {
    // Each drop rests at eStart for td - tp and then pulses to Ep + Epulse. The limit is
    // Cottrell's n F A C sqrt(D/(pi tp)) (Bard and Faulkner, 7.3.2), the wave half high at
    // E1/2: both within 0.5 % of the limit, which leaves room for the 0.1 % the sub-steps and
    // the grid cost.
    ExperimentState s = experiment(3, 1, 1);
    s.eEnd = -0.4;
    const Simulation run = simulated(s);
    const double limit = cottrell(0.05);
    const double deviation = worstDeviation(run, [&](int p) {
        StepSuperposition wave;
        wave.step(0, s.eStart);
        wave.step(0.45, run.E(p) + s.pulseAmplitude);
        return wave.current(0.5);
    });
    EXPECT_LT(deviation, 0.005);
    EXPECT_NEAR(-run.last() / limit, 1.0, 0.005);
    ASSERT_NEAR(run.E(31) + s.pulseAmplitude, 0.1, 1e-12);
    EXPECT_NEAR(-run.total(31) / limit, 0.5, 0.005);
}

TEST(DigitalPulses, DifferentialPulseFollowsTheExactResponseAndTendsToParryOsteryoung) {
    // Every drop starts from rest: td - tp at Ep, then the pulse; the stored current is the
    // end of the pulse less the end of the base. Within 1 % of the peak at every point; as
    // td/tp grows the peak tends to n F A C sqrt(D/(pi tp)) (1 - s)/(1 + s), s = exp(nf dE/2),
    // at E1/2 - dE/2 (Parry and Osteryoung 1965), within 1 % at td/tp = 100 (0.5 mV steps, so
    // the grid point is within 0.3 % of the top).
    struct Case {
        double ratio, pulse; // td / tp, dE [V]
    } cases[] = {{10, -0.01}, {10, -0.05}, {100, -0.01}, {100, -0.05}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "td/tp " << c.ratio << " dE " << c.pulse);
        ExperimentState s = experiment(4, 1, 1);
        s.dropTime = c.ratio * s.pulseTime;
        s.pulseAmplitude = c.pulse;
        s.eStep = 0.0005;
        s.eStart = 0.25;
        s.eEnd = -0.05;
        const Simulation run = simulated(s);
        const double td = s.dropTime, tp = s.pulseTime;
        const double deviation = worstDeviation(run, [&](int p) {
            StepSuperposition base, pulsed;
            base.step(0, run.E(p));
            pulsed.step(0, run.E(p));
            pulsed.step(td - tp, run.E(p) + c.pulse);
            return pulsed.current(td) - base.current(td - tp);
        });
        EXPECT_LT(deviation, 0.01);
        if (c.ratio == 100) {
            const double sigma = std::exp(kf * c.pulse / 2);
            const double parryOsteryoung = cottrell(tp) * (1 - sigma) / (1 + sigma);
            EXPECT_NEAR(-run.total(run.peak()) / parryOsteryoung, 1.0, 0.01);
            EXPECT_NEAR(run.E(run.peak()), 0.1 - c.pulse / 2, 0.001);
        }
    }
}

TEST(DigitalPulses, SquareWaveIsTheTextbookWaveform) {
    // Forward half-period Ep + Epulse first, then the reverse one Ep - Epulse, the staircase
    // rising by dEs = 10 mV every period 2 tp; net = forward - reverse. Within 1 % of the peak
    // of the exact response at every point; the net peak in units of n F A C sqrt(D/(pi tp))
    // is 0.9281 at nEsw = 50 mV and 0.5798 at 25 mV (O'Dea, Osteryoung and Osteryoung 1981),
    // within 0.5 %: the table's four digits, the 0.1 % of the simulation and the peak falling
    // on the staircase's E1/2 point.
    struct Case {
        double amplitude, netPeak;
    } cases[] = {{0.05, 0.9281}, {0.025, 0.5798}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.amplitude);
        ExperimentState s = experiment(5, 1, 1);
        s.pulseAmplitude = -c.amplitude;
        s.eStep = 0.01;
        s.eEnd = -0.4;
        const Simulation run = simulated(s);
        const double tp = s.pulseTime;
        StepSuperposition wave;
        std::vector<double> net(run.state.pointCount + 1);
        for (int p = 1; p <= run.state.pointCount; ++p) {
            const double start = (p - 1) * 2 * tp;
            wave.step(start, run.E(p) - c.amplitude);
            const double forward = wave.current(start + tp);
            wave.step(start + tp, run.E(p) + c.amplitude);
            net[p] = forward - wave.current(start + 2 * tp);
        }
        EXPECT_LT(worstDeviation(run, [&](int p) { return net[p]; }), 0.01);
        ASSERT_NEAR(run.E(run.peak()), 0.1, 1e-12);
        EXPECT_NEAR(-run.total(run.peak()) / cottrell(tp), c.netPeak, 0.005 * c.netPeak);
    }
}

TEST(DigitalPulses, DcDropReachesCottrell) {
    // DC samples the end of each drop from rest: n F A C sqrt(D/(pi td)) far past E0, within
    // 0.5 % (the sub-steps of the drop are good to 0.1 %).
    const Simulation run = simulated(experiment(2, 1, 1));
    EXPECT_NEAR(-run.last() / cottrell(0.5), 1.0, 0.005);
}

// The finite-difference engine and the closed forms apply the same waveforms: on a cycle of
// a reversible couple their curves agree within 1 % of the peak at every point, the return
// sweep included, where the pulses go with the scan and the return peaks mirror the forward
// ones (the exact superposition and the engine each agree with theory within 0.5 %).
TEST(DigitalPulses, CyclesAgreeWithTheClosedFormsAtEveryPoint) {
    for (int technique : {4, 5}) {
        auto cycle = [technique](int digital) {
            ExperimentState s = experiment(technique, 1, digital);
            s.eStep = 0.002;
            s.cycles = 1;
            return simulated(s);
        };
        const Simulation closedForm = cycle(0);
        const Simulation digital = cycle(1);
        ASSERT_EQ(digital.state.pointCount, closedForm.state.pointCount);
        double peak = 0;
        for (int p = 1; p <= closedForm.state.pointCount; ++p)
            peak = std::max(peak, std::abs(closedForm.total(p)));
        const int np = closedForm.state.pointsPerSweep;
        for (int p = 1; p <= closedForm.state.pointCount; ++p)
            ASSERT_NEAR(digital.total(p), closedForm.total(p), 0.01 * peak)
                << "technique " << technique << " point " << p;
        // The return peak mirrors the forward one: opposite sign, the same size within 5 %.
        double forward = 0, back = 0;
        for (int p = 1; p <= np; ++p)
            forward =
                std::abs(closedForm.total(p)) > std::abs(forward) ? closedForm.total(p) : forward;
        for (int p = np + 1; p <= 2 * np; ++p)
            back = std::abs(closedForm.total(p)) > std::abs(back) ? closedForm.total(p) : back;
        EXPECT_LT(forward * back, 0) << technique;
        EXPECT_NEAR(std::abs(back) / std::abs(forward), 1.0, 0.05) << technique;
    }
}

} // namespace
} // namespace kemvo
