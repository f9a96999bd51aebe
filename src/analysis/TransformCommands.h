#pragma once
// The Analysis menu's transforms of the current curve: "&Semi-differentiate",
// "S&emi-intergrate", "&Differentiate" and "&Integrate". Each replaces the current curve's
// values and refreshes the plot; a curve without a potential step is refused with a message.
// The semi-operations work in time: the scan rate v of the parameters window turns the
// potential axis into time, and the result window records the v used. The semi-integral of a
// current [A] is in A s^1/2 and levels at n F A C sqrt(D) for a reversible wave.

namespace kemvo {

class Application;

void installAnalysisCommands(Application &app);

void mnuSemi_Click(Application &app);
void mnuSemiInte_Click(Application &app);
void mnuDerivative_Click(Application &app);
void mnuIntegral_Click(Application &app);

} // namespace kemvo
