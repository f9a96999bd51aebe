#pragma once
// The Run menu's fit commands: "&Manual Fit", "&Auto Fit", "Use Current Curve as Measured",
// "Take Fitted Values", "M&anual Seprarte" and "Auto S&eparate".

namespace kemvo {

class Application;
struct FitWorkspace;

// Simulates once with the parameters as entered, beside the measured curve: column 1 the
// measured curve, column 2 the simulation; prints their least square and rms residual.
void mnuManualFit_Click(Application &app);

// Fits the ticked parameters to the current curve (FitDriver.h), then replots the measured
// curve (column 1) and the best fit (column 2). Errors show "Fit Error: <description>! Please
// try again by other initial values."
void mnuAutoFit_Click(Application &app, FitWorkspace &workspace);

// "Use Current Curve as Measured": the current curve becomes the measured curve of the fits
// that follow, until an import or the next use of this command.
void mnuUseAsMeasured_Click(Application &app);

// "Take Fitted Values": each value of the last Auto Fit into its box of the parameters window,
// rounded at the second significant digit of its standard error (at least four significant
// figures), and the state takes the rounded values.
void mnuTakeFitted_Click(Application &app);

// Manual or Auto Fit, then the component step: the current of each charge-transfer step of the
// last simulation in columns 3.. (curveCount = 2 + chargeCount), drawn with the measured curve
// and the simulated sum.
void mnuManualSeparate_Click(Application &app);
void mnuAutoSeparate_Click(Application &app, FitWorkspace &workspace);

// Wires the four commands; their workspace (the engine's trial vector, step and lambda, and the
// store of the fit's simulations) lives with them for the whole run of the application.
void installFittingCommands(Application &app);

} // namespace kemvo
