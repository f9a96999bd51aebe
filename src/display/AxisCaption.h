#pragma once
// The captions of the plot's axes: the quantity a curve holds and its unit, after the
// transforms and scalings the Analysis menu applied to it ("dI/dE /A/V", "I × 1000 /A").

#include "shell/ExperimentState.h"

#include <string>

namespace kemvo {

// Caption of the y axis for the entry chosen in ComboY and what the current curve holds, its
// unit with the metric prefix of the axis ("I /µA"; a prefixed 1/Ohm is written S); an entry
// the plot does not know gives no caption.
std::string yAxisCaption(const std::string &quantity, const CurveHistory &history,
                         const std::string &prefix = "");

// Caption of the x axis for potentials scaled by `factor` since they were written; potentials
// as written may be shown with a prefix ("E /mV").
std::string xAxisCaption(double factor, const std::string &prefix = "");

} // namespace kemvo
