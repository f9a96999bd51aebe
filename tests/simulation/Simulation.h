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
// Reversible sweep peak at 0.01 V/s, 0.4463 n F A C sqrt(n f v D) (Bard and Faulkner, 6.2.19).
inline const double kRandlesSevcik = 0.4463 * kFAC * std::sqrt(kf * 0.01 * kD);

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
    double separation() const { return E(peak(1)) - E(peak(-1)); }
};

inline Simulation simulated(const ExperimentState &s) {
    Simulation run(s);
    run.simulate();
    return run;
}

} // namespace kemvo
