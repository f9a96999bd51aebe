#pragma once
// The semi-integral and semi-derivative of values sampled at equal time steps, by product
// integration with the kernel 1/sqrt(pi t) (ConvolutionWeights): the Riemann-Liouville
// semi-integral of a function linear between its nodes, and its exact inverse on the same nodes.

#include <vector>

namespace kemvo {

// Semi-integral (in place) of values y[0..count-1] at nodes of step dt [s]; the first node is
// t = 0, where the semi-integral is 0.
void semiIntegrateNodes(std::vector<double> &y, double dt);
// Semi-derivative (in place), the exact inverse of semiIntegrateNodes: the piecewise-linear
// function whose semi-integral takes the given values at the nodes. A semi-integral is 0 at
// t = 0 and says nothing of the value there: the first interval is taken as constant.
void semiDifferentiateNodes(std::vector<double> &y, double dt);

} // namespace kemvo
