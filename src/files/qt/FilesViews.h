#pragma once
// The views of the files' windows: the modal curve choice of Import Data.

#include "files/FormImport.h"
#include "shell/qt/ViewRegistry.h"

namespace kemvo::qt {

// The widgets of FormImport; each widget's object name is its control's name.
QWidget *createFormImportView(Application &app, FormImport &form);

void registerFilesViews(ViewRegistry &views);

} // namespace kemvo::qt
