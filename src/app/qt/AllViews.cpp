#include "app/qt/AllViews.h"

#include "display/qt/DisplayViews.h"
#include "files/qt/FilesViews.h"
#include "fitting/qt/FittingViews.h"
#include "setup/qt/SetupViews.h"

namespace kemvo::qt {

ViewRegistry allViews() {
    ViewRegistry views;
    registerShellViews(views);
    registerSetupViews(views);
    registerDisplayViews(views);
    registerFilesViews(views);
    registerFittingViews(views);
    return views;
}

} // namespace kemvo::qt
