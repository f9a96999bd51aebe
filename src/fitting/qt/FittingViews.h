#pragma once
// The views of the fitting windows: "Global Fit", its list of measured curves, the per-curve
// ticks and the plot of each measured curve with its fit.

#include "fitting/FormGlobalFit.h"
#include "shell/qt/ViewRegistry.h"

namespace kemvo::qt {

// The widgets of FormGlobalFit; each widget's object name is its control's name, the plot's
// "Plot".
QWidget *createFormGlobalFitView(Application &app, FormGlobalFit &form);

void registerFittingViews(ViewRegistry &views);

} // namespace kemvo::qt
