#pragma once
// Simulations run without the windows: the default experiment, and a run of the driver with
// the finite-difference engine plugged in as the simulate command plugs it.

#include "simulation/DigitalSimulation.h"
#include "simulation/SimulationDriver.h"
#include "support/DefaultExperiment.h"

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace kemvo {

// Reference values, written from the program's constants at 298.14 K, A = 1 cm^2, 1 mM of A.
inline constexpr double kF = 96484.6;           // [C/mol]
inline const double kf = kF / 8.31441 / 298.14; // F/(R T) [1/V]
inline constexpr double kD = 1e-5;              // [cm^2/s] of every species
inline constexpr double kFAC = kF * 1e-6;       // n F A C [C/cm], C = 1e-6 mol/cm^3
inline double cottrell(double t) {              // [A] (Bard and Faulkner, 5.2.11)
    return kFAC * std::sqrt(kD / (M_PI * t));
}
// Reversible sweep peak at 0.01 V/s, 0.44629 n F A C sqrt(n f v D) (Nicholson and Shain 1964).
inline const double kRandlesSevcik = 0.44629 * kFAC * std::sqrt(kf * 0.01 * kD);

// Mechanism m with its species and charge-transfer steps, from the mechanism catalogue.
inline void setMechanism(ExperimentState &s, int m) {
    static constexpr int species[] = {0, 2, 3, 4, 4, 3, 4, 3, 3, 2, 2, 4, 4, 4, 4, 4, 4, 4, 0};
    static constexpr int steps[] = {0, 1, 2, 3, 2, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 1, 1, 0};
    s.mechanism = static_cast<Int16>(m);
    s.speciesCount = static_cast<Int16>(species[m]);
    s.chargeCount = static_cast<Int16>(steps[m]);
}

struct Simulation {
    ExperimentState state;
    std::unique_ptr<CurveStore> store = std::make_unique<CurveStore>();
    SimulationInputs inputs; // the real engine unless a test plugs in another
    double resistance = 0;   // [ohm] Ru for the engine
    bool fineGrid = false;   // the engine's fine grid
    std::vector<std::string> messages;

    explicit Simulation(const ExperimentState &s) : state(s) {}
    Simulation &simulate() {
        SimulationInputs in = inputs;
        if (!in.digitalSimulation)
            in.digitalSimulation = [this](const ExperimentState &s, CurveStore &c) {
                runDigitalSimulation(
                    s, c, resistance, [this](const std::string &text) { messages.push_back(text); },
                    fineGrid);
            };
        simulateCurves(state, *store, in);
        return *this;
    }
    double total(int i) const { return store->reactionCurrent(i, state.chargeCount + 1); }
    double last() const { return total(state.pointCount); }
    double E(int i) const { return store->potential(i); }
    // The point of the most negative (reduction, sign -1) or most positive total.
    int peak(int sign = -1) const {
        int best = 1;
        for (int i = 2; i <= state.pointCount; ++i)
            if (sign * total(i) > sign * total(best))
                best = i;
        return best;
    }

    // The extreme of sign * total over points from..to (0: the last), read by a parabola
    // through the three highest points.
    struct Peak {
        double E = 0; // [V]
        double i = 0; // [A], signed
    };
    Peak parabolaPeak(int sign = -1, int from = 1, int to = 0) const {
        to = to ? to : state.pointCount;
        int best = from + 1;
        for (int i = from + 1; i < to; ++i)
            if (sign * total(i) > sign * total(best))
                best = i;
        const double y0 = total(best - 1), y1 = total(best), y2 = total(best + 1);
        const double offset = (y0 - y2) / (2 * (y0 - 2 * y1 + y2)); // in steps
        return {E(best) + offset * (E(best + 1) - E(best)), y1 - 0.25 * (y0 - y2) * offset};
    }
    // The potential [V] where the total first reaches `level` (of the same sign), linearly
    // interpolated.
    double potentialAt(double level) const {
        int i = 2;
        while (i < state.pointCount && std::fabs(total(i)) < std::fabs(level))
            ++i;
        const double share = (level - total(i - 1)) / (total(i) - total(i - 1));
        return E(i - 1) + share * (E(i) - E(i - 1));
    }
};

inline Simulation simulated(const ExperimentState &s, bool fineGrid = false,
                            double resistance = 0) {
    Simulation run(s);
    run.fineGrid = fineGrid;
    run.resistance = resistance;
    run.simulate();
    return run;
}

} // namespace kemvo
