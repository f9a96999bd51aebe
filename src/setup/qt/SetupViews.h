#pragma once
// The set-up windows' views: the technique and mechanism choosers and the parameters window,
// all free-standing tool windows.

#include "setup/FormExpr.h"
#include "setup/FormMech.h"
#include "setup/FormTech.h"
#include "shell/qt/ViewRegistry.h"

namespace kemvo::qt {

QWidget *createFormTechView(Application &app, FormTech &form);
QWidget *createFormMechView(Application &app, FormMech &form);
QWidget *createFormExprView(Application &app, FormExpr &form);

void registerSetupViews(ViewRegistry &views);

} // namespace kemvo::qt
