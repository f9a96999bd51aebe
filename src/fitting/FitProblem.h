#pragma once
// The Marquardt problem of an Auto Fit as the parameters window states it: the candidates that
// are ticked, their bounds read with the boxes' rules, the data's statistics, the difference
// steps, and how many further starts the fit runs.

#include "fitting/Marquardt.h"
#include "shell/ExperimentState.h"

#include <cstddef>
#include <string>
#include <vector>

namespace kemvo {

class FormExpr;

// The fit entries whose boxes are ticked, in the order of their index.
std::vector<int> selectedCandidates(FormExpr &form);
// The bounds of every fitted parameter, read before anything is simulated; a bound outside the
// box's legal range raises FitRefusal naming it.
void readBounds(FormExpr &form, const std::vector<int> &fitIndex, MarquardtProblem &problem);
// The data's mean and variance.
void setStatistics(MarquardtProblem &problem);
// The difference steps: 0.01 RT/F for a standard potential; for a zero Cdl or Ru a share of
// its range, since derivStep0 is a current.
void setDifferenceSteps(const ExperimentState &state, const std::vector<int> &fitIndex,
                        MarquardtProblem &problem);
// The message refusing a start outside the bounds the user typed, naming the box.
std::string startRefusal(int k, double start, const MarquardtProblem &problem, std::size_t m);
// Candidates whose value is a positive scale: stepped in the logarithm when their lower bound
// is above 0.
bool isScaleParameter(int k);
// The double-layer capacitance and the uncompensated resistance.
bool isCellParameter(int k);
// The further starts typed in TextStarts (0 to 1000); another text raises FitRefusal.
int furtherStarts(FormExpr &form);

} // namespace kemvo
