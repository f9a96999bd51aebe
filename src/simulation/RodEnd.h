#pragma once
// The exposed end of a rod electrode (a cylinder or a hemicylinder) in the finite-difference
// simulation: it carries the current of a disc of the rod's radius in an insulating plane,
// simulated in two dimensions (MicrodiscSimulation.h), over its share r/(r + 2l) of the area
// (GeometryCurrents.h). That is an approximation: the end meets the rod's side, not an
// insulator.

#include "shell/CurveStore.h"
#include "shell/ExperimentState.h"

#include <functional>

namespace kemvo {

bool isRod(const ExperimentState &state);

// Progress of one of a run's two parts: part `part` (0 for the side, 1 for the end) of a run of
// `points` reports its point p as the whole run's point (part * points + p + 1) / 2.
std::function<void(int)> rodPartDone(const std::function<void(int)> &pointDone, int part,
                                     int points);

// Runs the end over the whole area and blends it into the side's currents of `chargeSteps`
// steps and surface concentrations of `species` species in `store` (points
// 1..state.pointCount), each part weighted by its share of the area: each sees the ohmic drop
// of the whole electrode (`resistance` [ohm]) at its own current density. RuntimeError as the
// disc's simulation raises it.
void addRodEnd(const ExperimentState &state, int chargeSteps, int species, CurveStore &store,
               double resistance, const std::function<void(int)> &pointDone);

} // namespace kemvo
