#include "display/qt/DisplayViews.h"

#include "display/qt/ExportPlotView.h"
#include "display/qt/OptionView.h"
#include "display/qt/PlotView.h"

namespace kemvo::qt {

void registerDisplayViews(ViewRegistry &views) {
    views.add("FormPlot", {Placement::MdiChild, [](Application &app, Form &form) -> QWidget * {
                               return new PlotView(app, static_cast<FormPlot &>(form));
                           }});
    views.add("formOption", {Placement::ToolWindow, [](Application &app, Form &form) -> QWidget * {
                                 return new OptionView(app, static_cast<FormOption &>(form));
                             }});
    views.add("FormExportPlot",
              {Placement::Dialog, [](Application &app, Form &form) -> QWidget * {
                   return createExportPlotView(app, static_cast<FormExportPlot &>(form));
               }});
}

} // namespace kemvo::qt
