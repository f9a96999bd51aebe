#pragma once
// The Run menu's "&Simulate" and the simulation as the fits run it.

namespace kemvo {

class Application;

// The whole simulation on the state as the intake left it: the computing steps with the
// windows' inputs (overlap box, resistance box Ru for the finite-difference simulation), then
// firstPoint = 1, lastPoint = pointCount and the displayed quantity. A run-time error shows
// "Analytical simulation Error: <description>! Please try again by other initial values." and
// ends the run where it arose. An analytical run that no closed form serves is refused first,
// with the refusal's message (ClosedFormCatalogue.h), and nothing changes. Returns whether it
// ran to the end.
bool Simulate(Application &app);

// Intake, Simulate, plot refresh, and the Display and Analysis menus enabled, also after a
// failed simulation. A parameter that cannot be read ends the command before it computes.
void mnuSimulate_Click(Application &app);

// Wires mnuSimulate and the displayed-quantity step of the plot refresh.
void installSimulationCommands(Application &app);

} // namespace kemvo
