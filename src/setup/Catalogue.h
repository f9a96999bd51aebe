#pragma once
// The codes that name an experiment's kind: technique (1..5), mechanism (1..17) and electrode
// geometry (1..8), with the texts the choosers show and, for each mechanism, its species and
// steps. One table serves the windows, the intake, the simulation and the files.

#include "shell/ExperimentState.h"

#include <array>
#include <string_view>

namespace kemvo {

enum class Technique : Int16 {
    LinearSweep = 1, // linear sweep and cyclic voltammetry
    DC = 2,
    NormalPulse = 3,
    DifferentialPulse = 4,
    SquareWave = 5,
};

enum class Electrode : Int16 {
    Planar = 1,
    Spherical = 2,
    Hemispherical = 3,
    Microdisc = 4,
    Cylindrical = 5,
    Hemicylindrical = 6,
    ThinFilm = 7,
    RotatingDisk = 8,
};

inline constexpr int kTechniqueCount = 5;
inline constexpr int kMechanismCount = 17;
inline constexpr int kElectrodeCount = 8;

// A reaction mechanism among species A, B, C, D (1..4). Charge-transfer steps couple a species
// with the next by "+ne"; chemical steps are homogeneous equilibria kf/kb.
struct MechanismEntry {
    std::string_view caption;                    // the chooser's option text
    std::string_view className;                  // its tool tip; empty when it has none
    Int16 speciesCount;                          // species 1..speciesCount take part
    std::array<std::string_view, 3> chargeSteps; // "A+ne=B", ...; empty past the last step
    std::array<std::string_view, 2> chemSteps;   // "C=A", ...; empty past the last step
    bool analytical; // offered when the currents are computed by closed forms

    Int16 chargeCount() const;
    Int16 chemCount() const;
};

// The caption of technique 1..5 or electrode 1..8 ("1)  Planar").
std::string_view techniqueCaption(int code);
std::string_view electrodeCaption(int code);

// Mechanism 1..17; nullptr for a code outside the catalogue.
const MechanismEntry *findMechanism(int code);

// Whether a run uses the uncompensated resistance: the digital simulation solves every step
// under the ohmic drop, and the closed forms of DC and the pulse techniques charge the double
// layer through it after each potential step (a sweep charges it at C dl A v).
bool resistanceInUse(const ExperimentState &state);

} // namespace kemvo
