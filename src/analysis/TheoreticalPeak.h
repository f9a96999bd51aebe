#pragma once
// "&Theoretical Peak": for every charge-transfer reaction, the textbook values with which a
// curve can be compared, from the entered parameters alone, by mechanism, technique and
// electrode: the reversible and irreversible peak potential and current ("Ep", "Ip") of the
// peak-shaped techniques, the half-wave potential and limiting current ("E1/2", "Id") of the
// waves.

#include "shell/ExperimentState.h"
#include "shell/RuntimeError.h"

#include <optional>
#include <string>

namespace kemvo {

class Application;

// The oxidised and reduced species (1..4) of charge-transfer reaction r = 1..3, read from the
// step equation of the mechanism catalogue: "B+ne=C" pairs B (2) and C (3).
struct ReactionSpecies {
    int oxidised = 1;
    int reduced = 2;
};
// Raises a RuntimeError for a mechanism or reaction the catalogue does not hold.
ReactionSpecies reactionSpecies(int mechanism, int reaction);

// The parameters the expressions divide by or take roots and logarithms of.
enum class TheoryInput {
    Temperature,
    Diffusion,     // of species `index`
    Electrons,     // of reaction `index`
    Alpha,         // of reaction `index`
    Ks,            // of reaction `index`
    Kf,            // of chemical step `index`
    Concentration, // initial concentration of species `index`
    ScanRate,
    Radius,
    Length,
    DropTime,
    PulseTime,
    PotentialStep,
    RotationRate,
    Viscosity,
};

// A parameter that is zero, negative or not a number where an expression needs it positive.
class InvalidTheoryInput : public RuntimeError {
public:
    InvalidTheoryInput(TheoryInput input, int index);
    TheoryInput input;
    int index; // species 1..4 or step 1..3; 0 for a parameter of the experiment
};

// The values of one reaction; an empty value is one that its case does not define.
struct TheoreticalValues {
    double erev = 0; // [V] reversible half-wave potential E0 + RT/(2nF) ln(D(red)/D(ox))
    // The mechanism has no closed form at all: the report shows Erev in place of Ep.
    bool onlyErev = false;
    std::optional<double> ep;    // [V] reversible peak or half-wave potential
    std::optional<double> ip;    // [A] reversible peak or limiting current
    std::optional<double> epIrr; // [V] the same for a totally irreversible reaction
    std::optional<double> ipIrr; // [A]
    // Why the values of a row are missing, in a word: "no closed form", "not defined for this
    // mechanism", "not defined for this electrode".
    std::string reason = "no closed form";
    std::string irreversibleReason = "no closed form";
};

// The values of reaction r = 1..chargeCount, signed as the curves are: reduction currents
// negative, oxidation currents positive. Mechanism 1 is a reduction when the oxidised species
// is present, an oxidation when only the reduced one is (or both are and the sweep goes
// positive), with the reduction's expressions mirrored (alpha -> 1 - alpha, D and C of the
// reduced species, potentials on the other side of E0). For mechanism 1 by technique and
// electrode; for the catalytic mechanisms 9 and 16 the pure kinetic current of the reduction
// -nFAC sqrt(k D) at Erev, with k = kf(1), respectively kf(1) C(3); for every other mechanism
// Erev alone. Raises
// InvalidTheoryInput for a parameter the case needs that is not positive, and a RuntimeError
// for a result that is not finite.
TheoreticalValues theoreticalValues(const ExperimentState &state, int reaction);

// mnuCompId_Click: the intake, fOverRT = F/(RT), then the report on FormResult, which is not
// cleared. A parameter a value needs that is not positive is shown as one message naming it as
// the parameters window labels it, and nothing is printed.
void TheoreticalPeak(Application &app);

} // namespace kemvo
