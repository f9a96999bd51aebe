// The main window on real widgets: title, menu tree, enabling rule, and the text windows.

#include "shell/qt/MainWindow.h"
#include "app/Workbench.h"
#include "app/qt/AllViews.h"
#include "display/FormPlot.h"
#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextBrowser>
#include <QtTest>

using namespace kemvo;

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        platform = std::make_unique<HeadlessPlatform>();
        app = std::make_unique<Workbench>(platform->platform());
        window = std::make_unique<qt::MainWindow>(*app, qt::allViews());
        window->show();
    }
    void cleanup() {
        window.reset();
        app.reset();
        platform.reset();
    }

    void titleAndMenuBar() {
        QCOMPARE(window->windowTitle(), QString("Kemvo 3.1 for Windows"));
        QStringList titles;
        for (QAction *action : window->menuBar()->actions())
            titles << action->text();
        QCOMPARE(titles, QStringList({"&File", "&Input", "&Run", "&Display", "&Analysis", "&Window",
                                      "&Help"}));
    }

    void menuEntries_data() {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("File") << "mnuFile"
                              << QStringList{"&Save...",
                                             "",
                                             "&Import Data...",
                                             "&Export Data...",
                                             "",
                                             "&Copy to Clipboard",
                                             "&Print",
                                             "Export P&lot...",
                                             "",
                                             "E&xit"};
        QTest::newRow("Input") << "mnuInput"
                               << QStringList{"&Techniques...", "&Mechamism...",
                                              "&Experimental..."};
        QTest::newRow("Run") << "mnuRun" << QStringList{"&Simulate",     "", "&Manual Fit",
                                                        "&Auto Fit",     "", "M&anual Seprarte",
                                                        "Auto S&eparate"};
        QTest::newRow("Display") << "mnuDisplay"
                                 << QStringList{"&Option...", "&Plot", "&Next Curve", "&Clear"};
        QTest::newRow("Analysis") << "mnuData" << QStringList{"&Find Peak",
                                                              "Find &Halfwave E",
                                                              "&Theoretical Peak",
                                                              "",
                                                              "&Semi-differentiate",
                                                              "S&emi-intergrate",
                                                              "&Differentiate",
                                                              "&Integrate",
                                                              "",
                                                              "&X Data",
                                                              "&Y Data"};
        QTest::newRow("Y Data") << "mnuYData"
                                << QStringList{"1000Y", "10Y", "0.1Y", "0.001Y", "-Y"};
        QTest::newRow("Help") << "mnuHelp" << QStringList{"&Contents", "&About..."};
    }
    void menuEntries() {
        QFETCH(QString, menu);
        QFETCH(QStringList, entries);
        auto *found = window->findChild<QMenu *>(menu);
        QVERIFY(found != nullptr);
        QStringList captions;
        for (QAction *action : found->actions())
            captions << (action->isSeparator() ? QString() : action->text());
        QCOMPARE(captions, entries);
    }

    void displayAndAnalysisFollowTheModel() {
        auto *display = window->findChild<QMenu *>("mnuDisplay");
        auto *analysis = window->findChild<QMenu *>("mnuData");
        QVERIFY(!display->menuAction()->isEnabled());
        QVERIFY(!analysis->menuAction()->isEnabled());
        app->mainWindow().enableDisplayAndAnalysis();
        QVERIFY(display->menuAction()->isEnabled());
        QVERIFY(analysis->menuAction()->isEnabled());
    }

    void aboutOpensAChildWindowWithItsLines() {
        auto *about = window->findChild<QAction *>("mnuAbout");
        about->trigger();
        about->trigger();
        auto *view = qobject_cast<QPlainTextEdit *>(window->viewOf(app->formAbout()));
        QVERIFY(view != nullptr);
        QCOMPARE(view->blockCount(), 14);
        QVERIFY(view->toPlainText().startsWith(QString(53, '*') + "\nKemvo         Version 3.1"));
        QCOMPARE(window->mdiArea()->subWindowList().size(), 1);

        // Closing the child only hides it; About shows it again with the lines kept.
        window->mdiArea()->subWindowList().first()->close();
        QVERIFY(!app->formAbout().visible());
        about->trigger();
        QVERIFY(app->formAbout().visible());
        QCOMPARE(view->blockCount(), 21);
    }

    // The main window and a tool window larger than the screen stay inside its free area;
    // the parameters window then scrolls.
    void windowsFitTheScreen() {
        QRect area = window->screen()->availableGeometry();
        QVERIFY(area.contains(window->frameGeometry()));
        window->findChild<QAction *>("mnuExperimental")->trigger();
        QWidget *view = window->viewOf(*app->findForm("FormExpr"));
        QVERIFY(view != nullptr);
        QWidget *frame = view->window();
        QVERIFY(frame->width() <= area.width() && frame->height() <= area.height());
        QVERIFY(area.contains(frame->frameGeometry().topLeft()));
    }

    // The plot's close button hides it and Plot shows it again; Next Curve shows its line
    // beside the plot, and over a maximised plot without maximising the report.
    void plotHidesAndResultComesBesideIt() {
        for (int i = 1; i <= 3; ++i) {
            app->store().potential(i) = 0.1 * i;
            app->store().curves(i, 1) = 1e-6 * i;
        }
        app->state().firstPoint = 1;
        app->state().lastPoint = 3;
        app->state().curveCount = 1;
        app->state().currentCurve = 1;
        window->findChild<QAction *>("mnuPlot")->trigger();
        QWidget *plot = window->viewOf(app->form<FormPlot>())->parentWidget();
        auto *plotWindow = qobject_cast<QMdiSubWindow *>(plot);
        QVERIFY(plotWindow != nullptr && plotWindow->isVisible());
        plotWindow->close();
        QVERIFY(!app->form<FormPlot>().visible() && !plotWindow->isVisible());
        window->findChild<QAction *>("mnuPlot")->trigger();
        QVERIFY(app->form<FormPlot>().visible() && plotWindow->isVisible());

        window->findChild<QAction *>("mnuNextCurve")->trigger();
        auto *result =
            qobject_cast<QMdiSubWindow *>(window->viewOf(app->formResult())->parentWidget());
        QVERIFY(result != nullptr && result->isVisible());
        QVERIFY(!result->geometry().intersects(plotWindow->geometry()));

        plotWindow->showMaximized();
        window->findChild<QAction *>("mnuNextCurve")->trigger();
        QVERIFY(!result->isMaximized());
    }

    // The Window menu brings back a closed window and arranges the children.
    void windowMenuShowsClosedWindows() {
        window->findChild<QAction *>("mnuAbout")->trigger();
        window->mdiArea()->subWindowList().first()->close();
        QVERIFY(!app->formAbout().visible());
        auto *windows = window->findChild<QMenu *>("mnuWindow");
        QVERIFY(windows != nullptr);
        emit windows->aboutToShow();
        QStringList captions;
        QAction *about = nullptr;
        for (QAction *action : windows->actions()) {
            captions << action->text();
            if (action->text() == "About")
                about = action;
        }
        QCOMPARE(captions.mid(0, 2), QStringList({"&Cascade", "&Tile"}));
        QVERIFY(about != nullptr && !about->isChecked());
        about->trigger();
        QVERIFY(app->formAbout().visible());
    }

    // Esc closes a tool window without taking its values; Enter presses its OK button.
    void toolWindowKeys() {
        window->findChild<QAction *>("mnuTech")->trigger();
        Form &tech = *app->findForm("FormTech");
        QWidget *view = window->viewOf(tech);
        QVERIFY(tech.visible());
        QTest::keyClick(view->window(), Qt::Key_Escape);
        QVERIFY(!tech.visible());
        window->findChild<QAction *>("mnuTech")->trigger();
        QVERIFY(tech.visible());
        QTest::keyClick(view->window(), Qt::Key_Return);
        QVERIFY(!tech.visible()); // OK takes the choice and hides the window
    }

    void helpContentsOpensTheGuide() {
        QAction *contents = window->findChild<QAction *>("mnuContents");
        QCOMPARE(contents->shortcut(), QKeySequence(QKeySequence::HelpContents));
        contents->trigger();
        auto *browser = qobject_cast<QTextBrowser *>(window->viewOf(app->formHelp()));
        QVERIFY(browser != nullptr);
        QVERIFY(browser->toPlainText().contains("User guide"));
    }

private:
    std::unique_ptr<HeadlessPlatform> platform;
    std::unique_ptr<Application> app;
    std::unique_ptr<qt::MainWindow> window;
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
