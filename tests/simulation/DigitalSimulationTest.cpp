#include "simulation/DigitalSimulation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace kemvo {
namespace {

constexpr double kF = 96484.6;
constexpr double kR = 8.31441;
constexpr double kT = 298.14;
constexpr double kRTOverF = kR * kT / kF;        // [V]
constexpr double kNFAC = kF * 1.0 * 1e-3 * 1e-3; // n F A C with C = 1 mM = 1e-6 mol/cm^3
constexpr double kDiffusion = 1e-5;              // [cm^2/s]

// The parameters window's initial values, with a 1 mV staircase swept at 10 mV/s.
ExperimentState defaultState() {
    ExperimentState s;
    s.technique = 1;
    s.mechanism = 1;
    s.electrode = 1;
    s.digital = 1;
    s.eStart = 0.3;
    s.eEnd = -0.3;
    s.eStep = 0.001;
    s.scanRate = 0.01;
    s.dropTime = s.eStep / s.scanRate;
    s.pulseTime = 0.05;
    s.pulseAmplitude = -0.05;
    s.temperatureK = kT;
    s.area = 1;
    s.radius = 0.2821;
    s.length = 0.01;
    s.cycles = 0.5;
    for (int r = 1; r <= 3; ++r) {
        s.electrons[r] = 1;
        s.alpha[r] = 0.5;
        s.ks[r] = 1e4;
        s.kf[r] = 10;
        s.kb[r] = 0.01;
        s.stoich[r] = 1;
    }
    s.e0[1] = 0.1;
    s.e0[2] = -0.1;
    s.e0[3] = -0.2;
    for (int j = 1; j <= 4; ++j)
        s.diffusion[j] = kDiffusion;
    s.cInit[1] = 1e-3;
    return s;
}

// A DC or pulse programme: drops of td = 0.5 s made of pulse widths tp, 5 mV steps.
ExperimentState dropState(int technique, double pulseTime = 0.05) {
    ExperimentState s = defaultState();
    s.technique = technique;
    s.eStep = 0.005;
    s.dropTime = 0.5;
    s.pulseTime = pulseTime;
    return s;
}

// The driver's staircase: forward sweep, then its reversed copy for a cycle.
void buildProgramme(ExperimentState &s, CurveStore &store) {
    s.fOverRT = (kF / kR) / s.temperatureK;
    s.scanSign = s.eEnd > s.eStart ? 1 : -1;
    const int np = static_cast<int>(std::nearbyint(std::abs((s.eEnd - s.eStart) / s.eStep))) + 1;
    s.pointsPerSweep = static_cast<Int16>(np);
    s.pointCount = static_cast<int>(2 * np * s.cycles);
    for (int i = 1; i <= np; ++i)
        store.potential(i) = s.eStart + s.scanSign * (i - 1) * s.eStep;
    if (s.cycles >= 1)
        for (int i = 1; i <= np; ++i)
            store.potential(np + i) = store.potential(np + 1 - i);
}

struct SimulationRun {
    ExperimentState state;
    std::unique_ptr<CurveStore> store = std::make_unique<CurveStore>();
    std::vector<std::string> messages;

    double current(int p, int step = 1) const { return store->reactionCurrent(p, step); }
    double potential(int p) const { return store->potential(p); }
    double last(int step = 1) const { return current(state.pointCount, step); }
};

SimulationRun simulate(ExperimentState state, double resistance = 0.0) {
    SimulationRun run;
    run.state = state;
    buildProgramme(run.state, *run.store);
    runDigitalSimulation(run.state, *run.store, resistance,
                         [&](const std::string &text) { run.messages.push_back(text); });
    return run;
}

struct Peak {
    double current = 0;
    double potential = 0;
};

Peak cathodicPeak(const SimulationRun &run) {
    Peak peak;
    for (int p = 1; p <= run.state.pointCount; ++p)
        if (run.current(p) < peak.current)
            peak = {run.current(p), run.potential(p)};
    return peak;
}

Peak anodicPeak(const SimulationRun &run) {
    Peak peak;
    for (int p = 1; p <= run.state.pointCount; ++p)
        if (run.current(p) > peak.current)
            peak = {run.current(p), run.potential(p)};
    return peak;
}

double cottrell(double t) {
    return kNFAC * std::sqrt(kDiffusion / (std::numbers::pi * t));
}

// Species and charge-transfer steps of each mechanism, from the mechanism catalogue.
struct Shape {
    int species;
    int steps;
};
const Shape kShapes[18] = {{0, 0}, {2, 1}, {3, 2}, {4, 3}, {4, 2}, {3, 1}, {4, 1}, {3, 1}, {3, 1},
                           {2, 1}, {2, 1}, {4, 2}, {4, 2}, {4, 2}, {4, 2}, {4, 2}, {4, 1}, {4, 1}};

class EveryCombination : public testing::TestWithParam<int> {};

TEST_P(EveryCombination, RunsOnDefaultsWithFiniteResultsAndCathodicCurrent) {
    const int mechanism = GetParam();
    for (int technique = 1; technique <= 5; ++technique)
        for (int electrode = 1; electrode <= 8; ++electrode) {
            SCOPED_TRACE("technique " + std::to_string(technique) + ", electrode " +
                         std::to_string(electrode));
            ExperimentState s = defaultState();
            s.eStep = 0.005;
            s.dropTime = 0.5;
            s.mechanism = static_cast<Int16>(mechanism);
            s.technique = static_cast<Int16>(technique);
            s.electrode = static_cast<Int16>(electrode);
            const SimulationRun run = simulate(s);
            EXPECT_TRUE(run.messages.empty());
            double extreme = 0;
            for (int p = 1; p <= run.state.pointCount; ++p) {
                for (int j = 1; j <= kShapes[mechanism].steps; ++j) {
                    ASSERT_TRUE(std::isfinite(run.current(p, j)));
                    if (std::abs(run.current(p, j)) > std::abs(extreme))
                        extreme = run.current(p, j);
                }
                for (int species = 1; species <= kShapes[mechanism].species; ++species) {
                    const double c = run.store->surfaceConc(p, species);
                    ASSERT_TRUE(std::isfinite(c));
                    EXPECT_GE(c, -1e-12) << "point " << p << " species " << species;
                }
            }
            // Only A is present at the start and the sweep goes negative: reduction dominates,
            // and reduction currents are negative.
            EXPECT_LT(extreme, 0.0);
        }
}

INSTANTIATE_TEST_SUITE_P(Mechanisms, EveryCombination, testing::Range(1, 18));

TEST(DigitalSimulation, ReversibleSweepPeakMatchesRandlesSevcik) {
    const SimulationRun run = simulate(defaultState());
    const Peak peak = cathodicPeak(run);
    // Reversible linear sweep: ip = 0.4463 nFAC sqrt(nFvD/RT), Ep = E0 - 1.109 RT/nF
    // (Bard & Faulkner, eq. 6.2.19 and 6.2.4). 0.5 % and one 1-mV step of the staircase.
    const double expected = 0.4463 * kNFAC * std::sqrt(0.01 * kDiffusion / kRTOverF);
    EXPECT_NEAR(-peak.current, expected, 0.005 * expected);
    EXPECT_NEAR(peak.potential, 0.1 - 1.109 * kRTOverF, 0.001 + 1e-9);
}

TEST(DigitalSimulation, ReversibleCyclePeakSeparation) {
    ExperimentState s = defaultState();
    s.cycles = 1;
    const SimulationRun run = simulate(s);
    // 57-60 mV for a reversible one-electron couple switched well past E0 (Nicholson 1965).
    const double separation = anodicPeak(run).potential - cathodicPeak(run).potential;
    EXPECT_GE(separation, 0.057 - 1e-9);
    EXPECT_LE(separation, 0.060 + 1e-9);
}

TEST(DigitalSimulation, DcLimitingCurrentApproachesCottrell) {
    // Far past E0 every drop is a potential step; the current sampled at the end of the drop
    // (10 or 50 pulse widths, 0.5 s) approaches nFAC sqrt(D / (pi t)). The fully implicit step
    // over-estimates by O(dt) and the e-fold expanding grid adds about -1 %: 3 % with 10 steps,
    // 1 % with 50.
    for (const auto &[pulseTime, tolerance] : {std::pair{0.05, 0.03}, std::pair{0.01, 0.01}}) {
        SCOPED_TRACE(pulseTime);
        const SimulationRun run = simulate(dropState(2, pulseTime));
        EXPECT_NEAR(-run.last(), cottrell(0.5), tolerance * cottrell(0.5));
    }
}

TEST(DigitalSimulation, SmallSphereAddsTheSteadyStateTerm) {
    // Potential step at a sphere: I = nFAC D (1/sqrt(pi D t) + 1/r0) (Bard & Faulkner 5.2.18).
    // With r0 = 0.01 cm the spherical term is 44 % of the planar one. 1.5 %: the grid error
    // of the planar case plus the electrode face of box 1, which is taken as planar.
    ExperimentState s = dropState(2, 0.01);
    s.electrode = 2;
    s.radius = 0.01;
    const SimulationRun run = simulate(s);
    const double expected = cottrell(0.5) + kNFAC * kDiffusion / s.radius;
    EXPECT_NEAR(-run.last(), expected, 0.015 * expected);
}

TEST(DigitalSimulation, LargeSphereAndCylinderTendToPlanar) {
    const SimulationRun planar = simulate(defaultState());
    for (int electrode = 2; electrode <= 6; ++electrode) {
        SCOPED_TRACE(electrode);
        ExperimentState s = defaultState();
        s.electrode = static_cast<Int16>(electrode);
        s.radius = 1000.0;
        const SimulationRun curved = simulate(s);
        // The curvature correction is of order sqrt(pi D t)/r0 < 2.5e-5 for r0 = 10 m and
        // t <= 60 s.
        for (int p = 1; p <= planar.state.pointCount; ++p)
            ASSERT_NEAR(curved.current(p), planar.current(p),
                        5e-5 * std::abs(planar.current(p)) + 1e-15);
    }
}

TEST(DigitalSimulation, PlanarThinFilmAndRotatingDiskAreIdentical) {
    for (int technique = 1; technique <= 5; ++technique) {
        SCOPED_TRACE(technique);
        ExperimentState s = dropState(technique);
        s.cycles = 1;
        const SimulationRun planar = simulate(s);
        for (Int16 electrode : {7, 8}) {
            s.electrode = electrode;
            const SimulationRun other = simulate(s);
            for (int p = 1; p <= planar.state.pointCount; ++p)
                ASSERT_EQ(other.current(p), planar.current(p));
        }
    }
}

TEST(DigitalSimulation, PulseTechniquesPeakAtTheirTextbookPotentials) {
    // Reversible couple, E1/2 = E0 = 0.1 V, 1 mV steps, pulse -50 mV.
    struct Case {
        int technique;
        double peak; // [V] of the programme potential
        const char *source;
    };
    for (const Case &c : {Case{4, 0.1 + 0.025, "differential pulse: E1/2 - dE/2"},
                          Case{5, 0.1, "square wave: E1/2"}}) {
        SCOPED_TRACE(c.source);
        ExperimentState s = dropState(c.technique);
        s.eStep = 0.001;
        EXPECT_NEAR(cathodicPeak(simulate(s)).potential, c.peak, 0.001 + 1e-9);
    }
}

TEST(DigitalSimulation, FastFollowUpReactionShiftsThePeakPositively) {
    ExperimentState s = defaultState();
    s.mechanism = 7;
    s.kf[1] = 100;
    s.kb[1] = 0;
    const Peak ec = cathodicPeak(simulate(s));
    const Peak e = cathodicPeak(simulate(defaultState()));
    // Pure kinetic zone (Nicholson & Shain 1964): Ep = E1/2 - RT/F (0.780 - ln sqrt(k/a)),
    // a = Fv/RT; here k/a = 257 and Ep = 0.151 V. 2 mV: two steps of the staircase.
    const double a = 0.01 / kRTOverF;
    const double expected = 0.1 - kRTOverF * (0.780 - 0.5 * std::log(100 / a));
    EXPECT_GT(ec.potential, e.potential + 0.04);
    EXPECT_NEAR(ec.potential, expected, 0.002);
}

TEST(DigitalSimulation, FastCatalyticStepGivesPlateauCurrent) {
    for (double k : {10.0, 1000.0}) {
        SCOPED_TRACE(k);
        ExperimentState s = defaultState();
        s.mechanism = 9;
        s.kf[1] = k;
        s.kb[1] = 0;
        const SimulationRun run = simulate(s);
        // Catalytic plateau nFAC sqrt(D k) (Saveant & Vianello 1965); 0.5 % as for the peak.
        const double plateau = kNFAC * std::sqrt(kDiffusion * k);
        EXPECT_NEAR(-run.last(), plateau, 0.005 * plateau);
        EXPECT_NEAR(run.current(run.state.pointCount - 100), run.last(), 0.005 * plateau);
    }
}

TEST(DigitalSimulation, EveryChargeTransferOfAChainCarriesTheDiffusionLimitedCurrent) {
    // Past all standard potentials each intermediate is reduced as fast as it is made, so
    // every step passes the flux of A: the Cottrell current of the drop (3 % as for DC).
    for (Int16 mechanism : {2, 3}) {
        SCOPED_TRACE(mechanism);
        ExperimentState s = dropState(2);
        s.mechanism = mechanism;
        s.eEnd = -0.6;
        const SimulationRun run = simulate(s);
        const int steps = mechanism == 2 ? 2 : 3;
        for (int j = 1; j <= steps; ++j) {
            EXPECT_NEAR(-run.last(j), cottrell(0.5), 0.03 * cottrell(0.5)) << "step " << j;
            EXPECT_NEAR(run.last(j), run.last(1), 1e-6 * std::abs(run.last(1)));
        }
        // Between E0(2) = -0.1 V and E0(3) = -0.2 V the last step of mechanism 3 has hardly
        // started: at -0.15 V it carries E0(3) - E = 50 mV of Nernstian drive, ~ 1/8 of step 2.
        if (mechanism == 3) {
            const int p = 91; // -0.15 V
            ASSERT_NEAR(run.potential(p), -0.15, 1e-12);
            const double ratio = run.current(p, 3) / run.current(p, 2);
            EXPECT_NEAR(ratio, 1.0 / (1.0 + std::exp(0.05 / kRTOverF)), 0.02);
        }
    }
}

TEST(DigitalSimulation, UncompensatedResistanceWidensThePeakSeparation) {
    // The ohmic drop takes Ru |I| off the driving force in both directions, so the peaks move
    // apart and the cathodic one lower (Nicholson 1965: 100 ohm x 85 uA is about 1.3 RT/F).
    ExperimentState s = defaultState();
    s.cycles = 1;
    const SimulationRun plain = simulate(s);
    const SimulationRun withZero = simulate(s, 0.0);
    const SimulationRun dropped = simulate(s, 100.0);
    const double plainSeparation = anodicPeak(plain).potential - cathodicPeak(plain).potential;
    const double droppedSeparation =
        anodicPeak(dropped).potential - cathodicPeak(dropped).potential;
    EXPECT_GT(droppedSeparation, plainSeparation + 0.010);
    EXPECT_LT(cathodicPeak(dropped).potential, cathodicPeak(plain).potential);
    EXPECT_LT(std::abs(cathodicPeak(dropped).current), std::abs(cathodicPeak(plain).current));
    for (int p = 1; p <= plain.state.pointCount; ++p)
        ASSERT_EQ(withZero.current(p), plain.current(p));
}

TEST(DigitalSimulation, NonWholeDropToPulseRatioIsRoundedToAnEvenStepCount) {
    // td/tp is rounded half to even, at least 2, and made even: the run must equal that of
    // the whole ratio it rounds to.
    struct Case {
        double ratio;
        double sameAs;
    };
    for (const Case &c : {Case{1, 2}, Case{3, 4}, Case{2.4, 2}, Case{2.5, 2}, Case{2.6, 4},
                          Case{9.7, 10}, Case{10.5, 10}}) {
        SCOPED_TRACE(c.ratio);
        ExperimentState s = dropState(2);
        s.dropTime = c.ratio * s.pulseTime;
        const SimulationRun run = simulate(s);
        s.dropTime = c.sameAs * s.pulseTime;
        const SimulationRun whole = simulate(s);
        for (int p = 1; p <= run.state.pointCount; ++p)
            ASSERT_EQ(run.current(p), whole.current(p));
    }
    // The rounding matters: 2 and 4 steps per drop differ.
    ExperimentState s = dropState(2);
    s.dropTime = 2 * s.pulseTime;
    const double two = simulate(s).last();
    s.dropTime = 4 * s.pulseTime;
    EXPECT_NE(simulate(s).last(), two);
}

TEST(DigitalSimulation, RunTimeErrorsAreRaisedAndNeverLeaveNonFiniteValues) {
    struct Case {
        const char *name;
        ExperimentState state;
        const char *description;
    };
    ExperimentState noRate = defaultState();
    noRate.mechanism = 7;
    noRate.kf[1] = 0;
    noRate.kb[1] = 0;
    ExperimentState farPotential = defaultState();
    farPotential.eStart = 100;
    farPotential.eEnd = 99.9;
    ExperimentState noConcentration = defaultState();
    noConcentration.cInit[1] = 0;
    ExperimentState badMechanism = defaultState();
    badMechanism.mechanism = 18;
    for (const Case &c : {Case{"lambda = 0", noRate, "Division by zero"},
                          Case{"exponential overflows", farPotential, "Overflow"},
                          Case{"no species present", noConcentration, "Division by zero"},
                          Case{"mechanism code 18", badMechanism, "Subscript out of range"}}) {
        SCOPED_TRACE(c.name);
        ExperimentState s = c.state;
        auto store = std::make_unique<CurveStore>();
        buildProgramme(s, *store);
        try {
            runDigitalSimulation(s, *store, 0.0, nullptr);
            ADD_FAILURE() << "no error raised";
        } catch (const RuntimeError &error) {
            EXPECT_STREQ(error.what(), c.description);
        }
        for (int p = 0; p <= kMaxPoints; ++p)
            for (int k = 0; k < 7; ++k) {
                ASSERT_TRUE(std::isfinite(store->reactionCurrent(p, k)));
                ASSERT_TRUE(std::isfinite(store->surfaceConc(p, k)));
            }
    }
}

TEST(DigitalSimulation, SingularBoxBlockIsReportedOnceAndTheRunGoesOn) {
    // Mechanism 6 with kf2 dt = -1 empties row B of the block of a box with d = 1. That box
    // exists when the extent Mr = 2 + ln(1 + 6 (e - 1) sqrt(N lambda)) rounds up. The negative
    // constant also makes B grow in the outer boxes, so the run goes on, with meaningless
    // concentrations, until they overflow.
    ExperimentState s = defaultState();
    s.mechanism = 6;
    s.eStep = 0.005;
    s.eEnd = 0.3 - 99 * 0.005;
    s.cycles = 1;
    s.dropTime = 0.5;
    s.kf[1] = 0.002;
    s.kb[1] = 0;
    s.kf[2] = -2;
    s.kb[2] = 0;
    const double lambda = kRTOverF * (s.kf[1] + s.kb[1]) / s.eStep;
    const double extent = 2 + std::log(1 + 6 * (std::exp(1.0) - 1) * std::sqrt(200 * lambda));
    ASSERT_GT(extent - std::floor(extent), 0.5);

    auto store = std::make_unique<CurveStore>();
    buildProgramme(s, *store);
    ASSERT_EQ(s.pointCount, 200);
    std::vector<std::string> messages;
    EXPECT_THROW(runDigitalSimulation(s, *store, 0.0,
                                      [&](const std::string &text) { messages.push_back(text); }),
                 RuntimeError);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Error: inverse matrix");
    EXPECT_NE(store->reactionCurrent(10, 1), 0.0);
    for (int p = 0; p <= kMaxPoints; ++p)
        for (int k = 0; k < 7; ++k) {
            ASSERT_TRUE(std::isfinite(store->reactionCurrent(p, k)));
            ASSERT_TRUE(std::isfinite(store->surfaceConc(p, k)));
        }
}

} // namespace
} // namespace kemvo
