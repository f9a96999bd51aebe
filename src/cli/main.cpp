// kemvo-cli: the workbench without a window. Each argument is one step, run as a user acts
// in the windows; see ScriptRunner.h or `kemvo-cli --help`.

#include "app/BatchFit.h"
#include "app/Workbench.h"
#include "display/FormPlot.h"
#include "display/RecordingCanvas.h"
#include "display/qt/PlotFile.h"
#include "fitting/FormGlobalFit.h"
#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"
#include "shell/RuntimeError.h"
#include "shell/ScriptRunner.h"

#include <CLI/CLI.hpp>
#include <QGuiApplication>

#include <csignal>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

// Standard error carries the program's message lines for scripts; Qt's own notes about the
// platform (such as a missing runtime folder) stay off it unless they are errors.
void reportQtErrorsOnly(QtMsgType type, const QMessageLogContext &, const QString &text) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << "qt: " << text.toStdString() << '\n';
}

// Fonts need a Qt application; without a display it runs on the offscreen platform.
void ensureGuiApplication(std::unique_ptr<QGuiApplication> &qtApp, char *programName) {
    if (qtApp)
        return;
    qInstallMessageHandler(reportQtErrorsOnly);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1; // Qt must not take the steps for its own options
    static char *argv[] = {programName, nullptr};
    qtApp = std::make_unique<QGuiApplication>(argc, argv);
}

// Ctrl+C asks the running command to stop, as its Stop button does; a second one ends the
// program at once.
volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int) {
    if (interrupted) {
        std::signal(SIGINT, SIG_DFL);
        std::raise(SIGINT);
        return;
    }
    interrupted = 1;
}

} // namespace

int main(int argc, char **argv) {
    // kemvo-cli --batch RESULTS.csv FILE... -- STEP...: the steps on each file, one CSV row each.
    if (argc > 1 && std::string(argv[1]) == "--batch") {
        kemvo::BatchRequest request;
        const std::string refusal =
            kemvo::readBatchRequest(std::vector<std::string>(argv + 1, argv + argc), request);
        if (!refusal.empty()) {
            std::cerr << "refused: " << refusal << '\n';
            return 2;
        }
        return kemvo::runBatch(request, std::cout);
    }
    CLI::App cli{"Kemvo without a window"};
    cli.set_help_flag(); // --help is a step: it lists the windows and controls too
    cli.allow_extras();
    std::vector<std::string> steps;
    cli.add_option("steps", steps, "the steps to run");
    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError &error) {
        return cli.exit(error);
    }
    for (const std::string &extra : cli.remaining())
        steps.push_back(extra);

    kemvo::HeadlessPlatform platform;
    platform.progress.interrupt = &interrupted;
    std::signal(SIGINT, onInterrupt);
    kemvo::Workbench app(platform.platform());
    kemvo::ScriptRunner runner(app, platform, std::cout, std::cerr);
    std::unique_ptr<QGuiApplication> qtApp;
    // plot=FILE writes the plot window's picture as the last drawing left it.
    runner.plotWriter = [&](const std::string &file) {
        ensureGuiApplication(qtApp, argv[0]);
        auto *picture =
            dynamic_cast<kemvo::RecordingCanvas *>(&app.form<kemvo::FormPlot>().picture());
        if (picture == nullptr)
            throw kemvo::RuntimeError("The plot has no picture");
        kemvo::qt::writePicture(*picture, file);
    };
    // globalplot=FILE writes the Global Fit window's plot of its last fit.
    runner.pictureWriters["globalplot"] = [&](const std::string &file) {
        ensureGuiApplication(qtApp, argv[0]);
        kemvo::qt::writePicture(app.form<kemvo::FormGlobalFit>().picture(), file);
    };
    platform.platform().writePicture = [&](const std::string &file, const kemvo::PictureSize &size,
                                           const auto &paint) {
        ensureGuiApplication(qtApp, argv[0]);
        kemvo::qt::writePictureFile(file, size, paint);
    };
    if (steps.empty()) {
        std::cout << runner.help();
        return 0;
    }
    return runner.run(steps);
}
