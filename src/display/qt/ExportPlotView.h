#pragma once
// The window "Export Plot": the picture's size in millimetres at a resolution, or in pixels.

#include "display/FormExportPlot.h"
#include "shell/Application.h"

#include <QWidget>

namespace kemvo::qt {

QWidget *createExportPlotView(Application &app, FormExportPlot &form);

} // namespace kemvo::qt
