#pragma once
// Read access to every field of ExperimentState and CurveStore by its name, for `show=`
// in kemvo-cli: "pointCount", "cInit(1)", "curves(10,1)".

#include "shell/Application.h"

#include <optional>
#include <string>
#include <vector>

namespace kemvo {

// The value of a field as text, or nothing when there is no such field or index.
std::optional<std::string> stateFieldValue(Application &app, const std::string &field);

// The names of the fields, with their index arity, for --help.
std::vector<std::string> stateFieldNames();

} // namespace kemvo
