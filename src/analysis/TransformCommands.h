#pragma once
// The Analysis menu's transforms of the current curve: "&Semi-differentiate",
// "S&emi-intergrate", "&Differentiate" and "&Integrate". Each replaces the current curve's
// values and refreshes the plot; a curve without a potential step is refused with a message.

namespace kemvo {

class Application;

void installAnalysisCommands(Application &app);

void mnuSemi_Click(Application &app);
void mnuSemiInte_Click(Application &app);
void mnuDerivative_Click(Application &app);
void mnuIntegral_Click(Application &app);

} // namespace kemvo
