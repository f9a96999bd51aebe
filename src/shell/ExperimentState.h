#pragma once
// The one record of the experiment: codes, counts, parameters in working units
// (V, s, cm, cm^2, K, rad/s, mol/L, A), the programme fields and the plot settings.
// Every command reads and writes it directly; fields never written read as 0.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kemvo {

using Int16 = std::int16_t;

// Per-reaction (1..3) and per-species (1..4) tables; indices 0 and 5 are not used.
using StepTable = std::array<double, 6>;

// A transform of a curve with respect to the potential, as the Analysis menu applies it.
enum class CurveOperation : std::int8_t { Derivative, Integral, SemiDerivative, SemiIntegral };

// One sweep of the potential programme: points first..last [1-based], a turning point at each
// end (listed again as the first point of the next sweep), and the sign of dE/dt on it.
struct ProgrammeSweep {
    std::int32_t first = 0;
    std::int32_t last = 0;
    Int16 direction = 0; // +1 towards positive potentials, -1 towards negative
};

// What a curve holds beyond the quantity chosen for the y axis: the transforms applied to it
// in order and the product of the factors it was scaled by. Empty for a curve as simulated
// or imported; the plot's y caption follows it.
struct CurveHistory {
    std::vector<CurveOperation> operations;
    double factor = 1;
};

struct ExperimentState {
    // Codes and counts of the experiment's kind.
    Int16 technique =
        0; // 1 sweep/cyclic, 2 DC, 3 normal pulse, 4 differential pulse, 5 square wave
    Int16 mechanism = 0;    // 1..17
    Int16 electrode = 0;    // 1 planar ... 8 rotating disk
    Int16 digital = 0;      // 1: finite-difference simulation, 0: analytical functions
    Int16 speciesCount = 0; // 2..4, species A..D
    Int16 chargeCount = 0;  // 1..3 charge-transfer steps
    Int16 chemCount = 0;    // 0..2 chemical steps
    Int16 caseCode = 0;     // electrode + 10 * technique, written only when digital is off

    // Scalar parameters.
    double eStart = 0;              // [V]
    double eEnd = 0;                // [V] ending (vertex) potential; the first vertex of a cycle
    std::optional<double> eVertex2; // [V] second vertex of a cycle; none: eStart
    std::optional<double> eFinal;   // [V] where a cycle ends after its last vertex; none: eStart
    double quietTime = 0;           // [s] hold at eStart before the scan; 0: none
    double vertexHold = 0;          // [s] hold at each turning point of a sweep; 0: none
    double eStep = 0;               // [V] absolute potential step
    double scanRate = 0;            // [V/s] absolute scan rate
    double dropTime = 0;            // [s]
    double pulseTime = 0;           // [s]
    double pulseAmplitude = 0;      // [V]
    double noisePercent = 0;        // [%] noise relative to the largest signal
    double cdl = 0;                 // [F/cm^2] double-layer capacitance
    double temperatureK = 0;        // [K]
    double area = 0;                // [cm^2]
    double radius = 0;              // [cm]
    double length = 0;              // [cm] electrode length or film thickness
    double electrodeVolume = 0;     // [cm^3]
    double viscosity = 0;           // [cm^2/s] kinematic viscosity
    double rotationRate = 0;        // [rad/s]
    double cycles = 0;              // 0.5 single sweep, 1 one cycle, 2, 2.5, 3 ... cycles
    double supportConc = 0;         // [mol/L] supporting electrolyte
    double supportCond = 0;         // molar conductivity of the supporting electrolyte

    // Per charge-transfer step r = 1..3.
    StepTable electrons{}; // n
    StepTable alpha{};     // transfer coefficient
    StepTable e0{};        // [V] standard potential
    StepTable ks{};        // [cm/s] standard rate constant
    // Per chemical step k = 1..3.
    StepTable kf{};     // forward rate constant
    StepTable kb{};     // backward rate constant
    StepTable keq{};    // equilibrium constant kf/kb as the parameters window shows it
    StepTable stoich{}; // stoichiometric number p
    // Per species j = 1..4 (A..D).
    StepTable diffusion{};   // [cm^2/s]
    StepTable cInit{};       // [mol/L] initial (bulk) concentration
    StepTable speciesCond{}; // molar conductivity

    // Programme fields derived by the simulation driver.
    double fOverRT = 0;          // [1/V] F/(R T)
    Int16 scanSign = 0;          // +1 when eEnd > eStart, else -1
    Int16 pointsPerSweep = 0;    // points of the first sweep, CInt(|eEnd - eStart| / eStep) + 1
    std::int32_t pointCount = 0; // points of the whole programme
    std::vector<ProgrammeSweep> sweeps; // the programme's sweeps, turning point to turning point

    // Curve indices and counts.
    std::int32_t firstPoint = 0;
    std::int32_t lastPoint = 0;
    Int16 curveCount = 0;   // curves 1..curveCount are drawn
    Int16 currentCurve = 0; // the curve that analysis, scaling and export act on
    Int16 simSlot = 0;      // the column the last simulation or import was given
    Int16 columnCount = 0;  // number of data columns (species of the mechanism, or imported)
    bool fitMode = false;   // a fit is running: simulations always write column 2
    double yMax = 0;
    double yMin = 0;

    // Plot options, taken from the options window at every drawing.
    double xMin = 0;
    double xMax = 0;
    std::array<Int16, 6> lineStyle{}; // per curve 1..5: 1 dots, 2 squares, 3 line
    bool gridOn = false;
    bool overlapMode = false;

    // Axis captions: what each curve 1..5 holds, and the product of the factors the
    // potentials were scaled by since a simulation or an import wrote them.
    std::array<CurveHistory, 6> curveHistory{};
    double potentialFactor = 1;
    // The name of each curve 1..5 in the plot's legend and in Export All Curves ("measured",
    // "fit", "component 1 (A+e=B)", an imported file's curve); empty: "curve k".
    std::array<std::string, 6> curveLabel{};

    // The points of the measured curve (column 1) that the last fit did not weigh, drawn
    // dashed: unweighted[i - 1] for point i. Empty when the fit weighed every point; cleared
    // when a new curve takes column 1.
    std::vector<bool> unweighted;
};

} // namespace kemvo
