#pragma once
// Every subsystem's views, for the main window.

#include "shell/qt/ViewRegistry.h"

namespace kemvo::qt {

ViewRegistry allViews();

} // namespace kemvo::qt
