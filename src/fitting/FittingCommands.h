#pragma once
// The Run menu's fit commands: "&Manual Fit", "&Auto Fit", "M&anual Seprarte" and
// "Auto S&eparate".

namespace kemvo {

class Application;
struct FitWorkspace;

// Simulates once with the parameters as entered, beside the measured curve: column 1 the
// measured curve, column 2 the simulation.
void mnuManualFit_Click(Application &app);

// Fits the ticked parameters to the current curve (FitDriver.h), then replots the measured
// curve (column 1) and the best fit (column 2). Errors show "Fit Error: <description>! Please
// try again by other initial values."
void mnuAutoFit_Click(Application &app, FitWorkspace &workspace);

// Manual or Auto Fit, then the component step: the current of each charge-transfer step of the
// last simulation in columns 3.. (curveCount = 2 + chargeCount), drawn with the measured curve
// and the simulated sum.
void mnuManualSeparate_Click(Application &app);
void mnuAutoSeparate_Click(Application &app, FitWorkspace &workspace);

// Wires the four commands; their workspace (the engine's trial vector, step and lambda, and the
// store of the fit's simulations) lives with them for the whole run of the application.
void installFittingCommands(Application &app);

} // namespace kemvo
