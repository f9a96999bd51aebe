// The main window on real widgets: title, menu tree, enabling rule, and the text windows.

#include "app/qt/AllViews.h"
#include "shell/qt/MainWindow.h"
#include "app/Workbench.h"
#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
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
        QCOMPARE(titles,
                 QStringList({"&File", "&Input", "&Run", "&Display", "&Analysis", "&Help"}));
    }

    void menuEntries_data() {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("File") << "mnuFile"
                              << QStringList{"&Save...",        "", "&Import Data...",
                                             "&Export Data...", "", "&Copy to Clipboard",
                                             "&Print",          "", "E&xit"};
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
        QTest::newRow("Help") << "mnuHelp" << QStringList{"&About..."};
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

        QString picture = QDir::temp().filePath("kemvo-main-window.png");
        QVERIFY(window->grab().save(picture));
    }

private:
    std::unique_ptr<HeadlessPlatform> platform;
    std::unique_ptr<Application> app;
    std::unique_ptr<qt::MainWindow> window;
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
