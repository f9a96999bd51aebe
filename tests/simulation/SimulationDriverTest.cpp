// The driver in both modes against closed forms and textbook limits of a reversible couple
// E0 = 0.1 V swept from 0.3 V down to -0.3 V (digital = 1: the finite-difference engine).

#include "Simulation.h"

#include "simulation/AnalyticalCurrents.h"
#include "simulation/ClosedFormCatalogue.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>

namespace kemvo {
namespace {

TEST(ExpErfc, MatchesTheLibraryErfcWhereverItCanBeRepresented) {
    // exp(x^2) erfc(x), on which every closed form rests. Reference in long double, whose range
    // holds exp(900) and erfc(30) ~ 1e-393; below -26.6 exp(x^2) leaves the doubles. 1e-6: the
    // seven-digit sqrt(2) and sqrt(pi) the method is written with. The steps cross the switch
    // from series to continued fraction at |x| = 1.5.
    for (double x = -26.5; x <= 30.0; x += 0.125) {
        const long double lx = x;
        const double expected = static_cast<double>(std::exp(lx * lx) * std::erfc(lx));
        EXPECT_NEAR(ExpErfc(x) / expected, 1.0, 1e-6) << "x = " << x;
    }
    // Asymptote 1/(x sqrt(pi)) (1 - 1/(2x^2) + ...): at x = 1000 the correction is 5e-7.
    EXPECT_NEAR(ExpErfc(1000) * 1000 * std::sqrt(M_PI), 1.0, 1e-6);
    EXPECT_THROW(ExpErfc(-27), RuntimeError); // exp(729) overflows
    EXPECT_GT(ExpErfc(27), 0.0);              // the positive side never does
}

TEST(Limits, FarPastE0EveryCaseReachesItsTransportLimit) {
    // The last point, -0.3 V, is 400 mV past E0: a reduction, so the total is -limit.
    // Analytical rows 1e-6: 4e-7 of the reversible wave remains and the written sqrt(pi) is
    // good to 3e-8. Digital rows: the fully implicit step over-estimates by O(dt) and the e-fold
    // expanding grid adds about -1 %: 1 % with 50 time steps per drop.
    const double sphere = kFAC * kD / 0.2821; // steady term n F A C D / r0 (B. and F., 5.2.18)
    const double twoWaves = 1 / (1 + std::exp(-0.4 * kf)) + 2 / (1 + std::exp(-0.2 * kf));
    struct Case {
        const char *what;
        int technique, electrode, digital, mechanism;
        void (*setup)(ExperimentState &);
        double limit, tolerance;
    } cases[] = {
        {"Cottrell at td", 2, 1, 0, 1, nullptr, cottrell(0.5), 1e-6},
        {"two electrons", 2, 1, 0, 1, [](ExperimentState &s) { s.electrons[1] = 2; },
         2 * cottrell(0.5), 1e-6},
        {"thin film", 2, 7, 0, 1, nullptr, cottrell(0.5), 1e-6},
        {"sphere", 2, 2, 0, 1, nullptr, cottrell(0.5) + sphere, 1e-6},
        // Normal pulse: the rest at eStart has already reduced 4e-4 of A, 2.7e-4 off the pulse.
        {"normal pulse at tp", 3, 1, 0, 1, nullptr, cottrell(0.05), 3e-4},
        {"a complex C in 1 M ligand", 2, 1, 0, 17,
         [](ExperimentState &s) { s.cInit = {0, 0, 0, 1e-3, 1, 0}; }, cottrell(0.5), 1e-6},
        {"two couples (1 and 2 mM), each a reversible wave", 2, 1, 0, 4,
         [](ExperimentState &s) { s.cInit[3] = 2e-3; }, twoWaves * cottrell(0.5), 1e-6},
        // EC' plateau n F A C sqrt(D kf) (Saveant and Vianello 1965), kb = 0, good to 0.5 %.
        {"digital EC' kf = 10", 1, 1, 1, 9, nullptr, kFAC * std::sqrt(kD * 10), 0.005},
        {"digital EC' kf = 1000", 1, 1, 1, 9, [](ExperimentState &s) { s.kf[1] = 1000; },
         kFAC * std::sqrt(kD * 1000), 0.005},
        {"digital Cottrell, 50 steps", 2, 1, 1, 1, [](ExperimentState &s) { s.pulseTime = 0.01; },
         cottrell(0.5), 0.01},
    };
    for (const Case &c : cases) {
        ExperimentState s = experiment(c.technique, c.electrode, c.digital);
        setMechanism(s, c.mechanism);
        s.kb[1] = 0;
        if (c.setup)
            c.setup(s);
        EXPECT_NEAR(simulated(s).last() / -c.limit, 1.0, c.tolerance) << c.what;
    }
}

TEST(Limits, SampledWaveIsHalfHighAtTheStandardPotential) {
    // Equal diffusion coefficients: the reversible wave C / (1 + exp(nf(E - E0))) is half high
    // at E0 (point 41) at a plane and at a rotating disk alike.
    for (int electrode : {1, 8}) {
        const Simulation run = simulated(experiment(2, electrode));
        ASSERT_NEAR(run.E(41), 0.1, 1e-12);
        EXPECT_NEAR(run.total(41) / run.last(), 0.5, 1e-6) << electrode;
    }
}

TEST(Charging, SignFollowsTheDirectionOfTheScan) {
    // No electroactive species, Cdl = 10 uF/cm^2 on 0.5 cm^2: the sweep's total is Cdl A v
    // alone, signed as a faradaic current of the same direction of potential change: negative
    // while the potential falls. Without a resistance a potential step charges the layer at
    // once: nothing of it is left when DC samples its drop.
    const double CdlAv = 1e-5 * 0.5 * 0.01;
    struct Case {
        int technique;
        double cycles;
        bool rising; // sweep from -0.3 V up to 0.3 V instead of down
        int point;
        double expected;
        std::optional<double> vertex2; // E vertex 2 and E final; none: E start
    } cases[] = {{1, 0.5, false, 50, -CdlAv},
                 {1, 0.5, true, 50, CdlAv},
                 {1, 1, false, 121, -CdlAv}, // the switching point ends the falling sweep
                 {1, 1, false, 122, CdlAv},
                 {1, 1, true, 200, -CdlAv},
                 {1, 2, false, 300, -CdlAv},
                 {1, 2, false, 400, CdlAv},
                 {2, 0.5, false, 121, 0.0},
                 {2, 0.5, true, 121, 0.0},
                 // 0.3 -> -0.3 -> 0.4 V: 121 + 141 points, the last still rising.
                 {1, 1, false, 262, CdlAv, 0.4}};
    for (const Case &c : cases)
        for (int digital : {0, 1}) {
            ExperimentState s = experiment(c.technique, 1, digital);
            s.cycles = c.cycles;
            s.eVertex2 = s.eFinal = c.vertex2;
            if (c.rising)
                std::swap(s.eStart, s.eEnd);
            s.cdl = 1e-5;
            s.area = 0.5;
            s.cInit = {};
            Simulation run(s);
            run.inputs.digitalSimulation = [](const ExperimentState &, CurveStore &) {};
            EXPECT_NEAR(run.simulate().total(c.point), c.expected, 1e-18)
                << c.technique << " cycles " << c.cycles << " rising " << c.rising << " point "
                << c.point << " digital " << digital;
        }
}

TEST(Charging, EachPotentialStepChargesTheLayerThroughTheResistance) {
    // No electroactive species, Cdl = 100 uF/cm^2 on 1 cm^2 behind Ru = 1000 ohm (RC = 0.1 s),
    // td = 0.2 s, tp = 0.05 s, E pulse = -50 mV, 0.3 V down to -0.3 V in 5 mV steps: a step dE
    // leaves (dE/Ru) exp(-t/RC) at the time t after it. Point 61 lies at 0 V. Hand values:
    //  - DC: from E start, 0.3 V down, sampled at td: -0.3/1000 e^-2;
    //  - normal pulse: from E start to 0 - 0.05 V, at tp: -0.35/1000 e^-0.5;
    //  - differential pulse: the pulse, -0.05 V at tp, less the step to 0 V from the last
    //    pulse's level (0.005 - 0.05 V), +0.045 V at td - tp;
    //  - square wave: the forward half-period from the last reverse level (0.005 + 0.05 V) to
    //    0 - 0.05 V, less the reverse step of +0.1 V, both at tp.
    const double rc = 0.1, ru = 1000;
    const double expected[] = {0,
                               0,
                               -0.3 / ru * std::exp(-0.2 / rc),
                               -0.35 / ru * std::exp(-0.05 / rc),
                               -0.05 / ru * std::exp(-0.05 / rc) -
                                   0.045 / ru * std::exp(-0.15 / rc),
                               (-0.105 - 0.1) / ru * std::exp(-0.05 / rc)};
    for (int technique = 2; technique <= 5; ++technique)
        for (int digital : {0, 1})
            for (double resistance : {0.0, ru}) {
                ExperimentState s = experiment(technique, 1, digital);
                s.cdl = 1e-4;
                s.dropTime = 0.2;
                s.cInit = {};
                Simulation run(s);
                run.inputs.digitalSimulation = [](const ExperimentState &, CurveStore &) {};
                run.inputs.resistance = resistance;
                const double value = run.simulate().total(61);
                ASSERT_NEAR(run.E(61), 0.0, 1e-12);
                EXPECT_NEAR(value, resistance > 0 ? expected[technique] : 0.0,
                            0.01 * std::fabs(expected[technique]))
                    << "technique " << technique << " digital " << digital << " Ru " << resistance;
            }
}

TEST(Noise, GaussianOfTheStatedShareOfTheLargestSignalAndReproducible) {
    // A reversible cycle on 1 mV steps, 1202 points, whose largest signal A is the forward
    // peak (the return peak is 30 % lower). With Noise = 10 % each point gains Noise x 0.25 %
    // of A times a standard normal deviate, so (noisy - clean)/(A x 0.025) has a sample
    // standard deviation of 1 within 3 of its sampling errors, 3/sqrt(2 x 1201) = 0.061, and
    // a mean of 0 within 3/sqrt(1202) = 0.087. The same programme gives the same noise, and
    // the extremes are those of the clean curve.
    ExperimentState s = experiment();
    s.eStep = 0.001;
    s.cycles = 1;
    const Simulation clean = simulated(s);
    s.noisePercent = 10;
    const Simulation first = simulated(s), second = simulated(s);
    const int n = clean.state.pointCount;
    ASSERT_EQ(n, 1202); // the vertex twice
    const double A = -clean.state.yMin;
    ASSERT_GT(A, std::fabs(clean.state.yMax) * 1.2);
    double sum = 0, squares = 0;
    for (int i = 1; i <= n; ++i) {
        ASSERT_EQ(first.total(i), second.total(i));
        const double g = (first.total(i) - clean.total(i)) / (A * 10 * 0.0025);
        sum += g;
        squares += g * g;
    }
    const double mean = sum / n;
    EXPECT_NEAR(std::sqrt((squares - n * mean * mean) / (n - 1)), 1.0,
                3 / std::sqrt(2.0 * (n - 1)));
    EXPECT_NEAR(mean, 0.0, 3 / std::sqrt(n));
    EXPECT_EQ(first.state.yMin, clean.state.yMin);
    EXPECT_EQ(first.state.yMax, clean.state.yMax);

    // A fit (which always writes column 2) receives none.
    ExperimentState fitting = experiment();
    fitting.noisePercent = 50;
    fitting.fitMode = true;
    const Simulation fit = simulated(fitting), plain = simulated(experiment());
    for (int i = 1; i <= 121; ++i)
        EXPECT_EQ(fit.total(i), plain.total(i));
    EXPECT_EQ(fit.state.simSlot, 2);
}

TEST(Programme, SweepsCyclesAndASinglePoint) {
    struct Case {
        double cycles, eEnd;
        int perSweep, points;
    } cases[] = {{0.5, -0.3, 121, 121}, {1, -0.3, 121, 242}, {2, -0.3, 121, 484}, {0.5, 0.3, 1, 1}};
    for (const Case &c : cases) {
        ExperimentState s = experiment();
        s.cycles = c.cycles;
        s.eEnd = c.eEnd;
        const Simulation run = simulated(s);
        EXPECT_EQ(run.state.pointsPerSweep, c.perSweep);
        EXPECT_EQ(run.state.pointCount, c.points);
        EXPECT_NEAR(run.E(c.perSweep), c.eEnd, 1e-12);
        if (c.cycles >= 1) {
            EXPECT_EQ(run.E(122), run.E(121)); // the vertex twice
            EXPECT_EQ(run.E(242), 0.3);
        }
        for (int i = 243; i <= c.points; ++i)
            ASSERT_EQ(run.E(i), run.E(i - 242)); // the second cycle repeats the first
    }
}

TEST(Refusal, PulsesHaveClosedFormsOnPlanesAndSpheresOnly) {
    // A sequence of potential steps has an exact closed form where one step has: the plane and
    // the radial diffusion of a sphere or hemisphere. A sweep at a cylinder has none (no
    // steady state, no similarity solution).
    for (int technique = 1; technique <= 5; ++technique)
        for (int electrode = 1; electrode <= 8; ++electrode) {
            const auto refusal = closedFormRefusal(experiment(technique, electrode));
            const bool sweepAtCylinder = technique == 1 && (electrode == 5 || electrode == 6);
            const bool closedForm = (technique <= 2 || electrode <= 3) && !sweepAtCylinder;
            EXPECT_EQ(refusal.has_value(), !closedForm) << technique << " " << electrode;
        }
    // The catalytic EC' reaction's closed form is a steady sweep or DC wave.
    ExperimentState s = experiment(4);
    setMechanism(s, 9);
    ASSERT_TRUE(closedFormRefusal(s));
    EXPECT_EQ(closedFormRefusal(s)->description,
              "Differential pulse voltammetry has no closed form for the catalytic (EC') "
              "reaction");
}

TEST(Failures, RunTimeErrorsStopTheRunAndNothingNonFiniteIsStored) {
    struct Case {
        const char *what;
        int technique, electrode, digital, mechanism;
        void (*spoil)(ExperimentState &);
        const char *description; // nullptr: any message
    } cases[] = {
        {"absolute zero", 1, 1, 0, 1, [](ExperimentState &s) { s.temperatureK = 0; },
         "Division by zero"},
        {"zero step", 1, 1, 0, 1, [](ExperimentState &s) { s.eStep = 0; }, "Division by zero"},
        {"exp(f (E - E0)) overflows", 2, 1, 0, 1, [](ExperimentState &s) { s.e0[1] = -40; },
         "Overflow"},
        {"zero radius", 2, 2, 0, 1, [](ExperimentState &s) { s.radius = 0; }, "Division by zero"},
        {"zero diffusion coefficient", 1, 1, 0, 1, [](ExperimentState &s) { s.diffusion[1] = 0; },
         "Division by zero"},
        {"zero viscosity at a disk", 2, 8, 0, 1, [](ExperimentState &s) { s.viscosity = 0; },
         "Division by zero"},
        {"negative drop time", 2, 1, 0, 1, [](ExperimentState &s) { s.dropTime = -1; }, nullptr},
        {"zero scan rate", 1, 1, 0, 1, [](ExperimentState &s) { s.scanRate = 0; },
         "Division by zero"},
        {"huge charging current", 1, 1, 0, 1,
         [](ExperimentState &s) { s.cdl = s.scanRate = 1e300; }, "Overflow"},
        {"digital exponential overflows", 1, 1, 1, 1, [](ExperimentState &s) { s.e0[1] = -100; },
         "Overflow"},
        {"no species present", 1, 1, 1, 1, [](ExperimentState &s) { s.cInit[1] = 0; },
         "Division by zero"},
        {"mechanism code 18", 1, 1, 1, 18, nullptr, "Subscript out of range"},
        {"ECE without a closed form", 1, 1, 0, 11, nullptr,
         "No analytical solution for mechanism 11"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ExperimentState s = experiment(c.technique, c.electrode, c.digital);
        setMechanism(s, c.mechanism);
        if (c.spoil)
            c.spoil(s);
        Simulation run(s);
        try {
            run.simulate();
            ADD_FAILURE() << "no error raised";
        } catch (const RuntimeError &error) {
            if (c.description) {
                EXPECT_STREQ(error.what(), c.description);
            }
        }
        for (int i = 0; i <= kMaxPoints; ++i)
            for (int k = 0; k < 7; ++k)
                ASSERT_TRUE(std::isfinite(run.store->reactionCurrent(i, k)) &&
                            std::isfinite(run.store->surfaceConc(i, k)));
    }
}

} // namespace
} // namespace kemvo
