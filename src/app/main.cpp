// kemvo: the workbench.

#include "app/Workbench.h"
#include "app/qt/AllViews.h"
#include "display/qt/PlotFile.h"
#include "shell/Application.h"
#include "shell/qt/MainWindow.h"
#include "shell/qt/QtPlatform.h"

#include <QApplication>

int main(int argc, char **argv) {
    QApplication qtApp(argc, argv);
    QApplication::setApplicationName("Kemvo");
    kemvo::qt::QtPlatform platform;
    platform.platform().writePicture = kemvo::qt::writePictureFile;
    kemvo::Workbench app(platform.platform());
    kemvo::qt::MainWindow window(app, kemvo::qt::allViews());
    platform.setParentWindow(&window);
    platform.platform().runDialog = [&window](kemvo::Form &form) { window.runDialog(form); };
    window.show();
    return QApplication::exec();
}
