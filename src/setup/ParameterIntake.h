#pragma once
// The intake: copies the choosers and the parameters window into ExperimentState in working
// units (V, s, cm, cm^2, K, rad/s, mol/L). Every box the experiment uses must hold wholly a
// number the physics allows (the Unicode minus sign reads as a minus; a decimal comma is
// refused with a hint); a box of a row or electrode not in use is read leniently as before.
// The derived initial concentrations and equilibrium constants are taken at full precision.

#include "shell/RuntimeError.h"
#include "shell/controls/Controls.h"

#include <string>

namespace kemvo {

class Application;

// A field of the parameters window whose text could not be read as a number. The message
// names the field as the window labels it.
class FieldError : public RuntimeError {
public:
    FieldError(const std::string &field, const std::string &description)
        : RuntimeError(field + ": " + description), field_(field) {}
    // The same refusal, now knowing the box that holds the value.
    FieldError(const FieldError &refusal, Control &box)
        : RuntimeError(refusal.what()), field_(refusal.field_), box_(&box) {}
    const std::string &field() const { return field_; }
    Control *box() const { return box_; }

private:
    std::string field_;
    Control *box_ = nullptr;
};

// Technique (TechValue of FormTech), mechanism (first selected option of FormMech; the old code
// stays when none is), and from the mechanism speciesCount, chargeCount, chemCount and
// columnCount (unchanged for a code outside 1..17).
void ReadChoices(Application &app);

// ReadChoices, then every parameter of FormExpr in this order: cycles; eStart, eEnd, eStep
// [V] (absolute, strict); area [cm^2], cdl [F/cm^2]; temperatureK [K] (degrees Celsius + 273.14);
// pulseAmplitude [V], noisePercent [%], dropTime [s], pulseTime [s]; scanRate [V/s] (absolute,
// strict); length, radius [cm], viscosity [cm^2/s]; rotationRate [rad/s] (rpm * pi / 30);
// supportConc [mol/L], supportCond; then FormExpr.radius_Change (area and electrodeVolume);
// then rows 1..3 of the steps and 1..4 of the species whatever the mechanism; caseCode =
// electrode + 10 * technique when digital simulation is off.
// Raises FieldError naming the box by its caption (with the species or step of its row) and
// saying what it may hold: E start, E end, E pulse any number; E step and v other than 0; t drop,
// t pulse, f, area, radius, length, viscosity, rotation and D greater than 0; ks, kf, kb,
// concentrations, C dl, noise and (in the finite-difference simulation) R 0 or more; alpha from 0
// to 1; n and p 1 or more; temperature above -273.14 degrees Celsius; and in the pulse techniques t
// drop longer than t pulse. What was written before stays.
void ReadParameters(Application &app);

// The intake as every command runs it (Simulate, the fits, Theoretical Peak, the
// parameters window's OK): runs ReadParameters and returns true. When a field cannot be read
// it shows a message box naming the field, restores ExperimentState as it was, and returns
// false: the command must then stop before it computes anything.
bool takeParameters(Application &app);

} // namespace kemvo
