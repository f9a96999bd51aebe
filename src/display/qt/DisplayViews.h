#pragma once
// The views of the display's windows: the plot (a child of the main window) and its options
// (a tool window).

#include "shell/qt/ViewRegistry.h"

namespace kemvo::qt {

void registerDisplayViews(ViewRegistry &views);

} // namespace kemvo::qt
