#pragma once
// The intake: copies the choosers and the parameters window into ExperimentState in working
// units (V, s, cm, cm^2, K, rad/s, mol/L). It checks nothing; a text that does not read as a
// number gives 0, except in the potential step and the scan rate, which must be numbers.

#include "shell/RuntimeError.h"

#include <string>

namespace kemvo {

class Application;

// A field of the parameters window whose text could not be read as a number. The message
// names the field as the window labels it.
class FieldError : public RuntimeError {
public:
    FieldError(const std::string &field, const std::string &description)
        : RuntimeError(field + ": " + description), field_(field) {}
    const std::string &field() const { return field_; }

private:
    std::string field_;
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
// Raises FieldError when Estep or V is not a number, or a number is too large for a double;
// what was written before stays.
void ReadParameters(Application &app);

// The intake as every command runs it (Simulate, the fits, Theoretical Peak, the
// parameters window's OK): runs ReadParameters and returns true. When a field cannot be read
// it shows a message box naming the field, restores ExperimentState as it was, and returns
// false: the command must then stop before it computes anything.
bool takeParameters(Application &app);

} // namespace kemvo
