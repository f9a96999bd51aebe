#pragma once
// The Run menu's "&Simulate" and the simulation as the fits run it.

namespace kemvo {

class Application;

// The whole simulation on the state as the intake left it: the computing steps with the
// windows' inputs (overlap box, resistance box Ru for the finite-difference simulation), then
// firstPoint = 1, lastPoint = pointCount and the displayed quantity. It runs on copies of the
// state and the curve store and takes them only at its end. An analytical run that no closed
// form serves is refused first, with the refusal's message (ClosedFormCatalogue.h). A run-time
// error shows "Analytical simulation Error: <description>! Please try again by other initial
// values." ("Digital simulation Error: " for the finite-difference simulation); outside a fit
// the platform's progress is polled at every point and a stop shows "Simulation stopped".
// Either way the state and every curve stay as they were; returns whether it ran to the end.
bool Simulate(Application &app);

// Intake, the checks that refuse a run before it computes, Simulate, plot refresh, and the
// Display and Analysis menus enabled, also after a failed simulation. A parameter that cannot
// be read or a refused run ends the command with its one message, before it computes.
void mnuSimulate_Click(Application &app);

// The uncompensated resistance [ohm] of the parameters window's box Ru, read strictly where a
// run uses it (resistanceInUse; a failure raises BoxValueError naming the box); as 0 when it is
// no number elsewhere.
double resistanceBoxValue(Application &app);

// Wires mnuSimulate and the displayed-quantity step of the plot refresh.
void installSimulationCommands(Application &app);

} // namespace kemvo
