// The main window on real widgets: title, menu tree, Simulate and the enabling rule, the child and
// tool windows, and the curve choice of Import Data.

#include "shell/qt/MainWindow.h"
#include "app/Workbench.h"
#include "app/qt/AllViews.h"
#include "files/FormImport.h"
#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"

#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
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

    // The captions the user knows, access keys and spellings included; "|" between entries,
    // "-" for a separator.
    void titleAndMenus() {
        QCOMPARE(window->windowTitle(), QString("Kemvo 3.1 for Windows"));
        QCOMPARE(captions(window->menuBar()),
                 QString("&File|&Input|&Run|&Display|&Analysis|&Window|&Help"));
        for (auto [menu, entries] : {
                 std::pair{"mnuFile",
                           "&Save...|-|&Import Data...|&Export Data...|Export &All Curves…|-|"
                           "&Copy to Clipboard|&Print|Export P&lot...|-|E&xit"},
                 {"mnuInput", "&Techniques...|&Mechamism...|&Experimental..."},
                 {"mnuRun",
                  "&Simulate|-|&Manual Fit|&Auto Fit|Use Current Curve as Measured|"
                  "Take Fitted Values|Global Fit\u2026|-|M&anual Seprarte|Auto S&eparate"},
                 {"mnuDisplay", "&Option...|&Plot|&Next Curve|&Clear"},
                 {"mnuData", "&Find Peak|Find &Halfwave E|&Theoretical Peak|-|&Semi-differentiate|"
                             "S&emi-intergrate|&Differentiate|&Integrate|-|&X Data|&Y Data"},
                 {"mnuYData", "1000Y|10Y|0.1Y|0.001Y|-Y"},
                 {"mnuHelp", "&Contents|&About..."},
             }) {
            auto *found = window->findChild<QMenu *>(menu);
            QVERIFY2(found != nullptr, menu);
            QCOMPARE(captions(found), QString(entries));
        }
    }

    // "&Simulate" from the menu bar draws the default cycle and opens Display and Analysis.
    void simulateFromTheMenuBarEnablesDisplayAndAnalysis() {
        auto *display = window->findChild<QMenu *>("mnuDisplay");
        auto *analysis = window->findChild<QMenu *>("mnuData");
        QVERIFY(!display->menuAction()->isEnabled());
        QVERIFY(!analysis->menuAction()->isEnabled());
        window->findChild<QAction *>("mnuSimulate")->trigger();
        QCOMPARE(app->state().pointCount, 121);
        QVERIFY(platform->messages.shown.empty());
        QVERIFY(display->menuAction()->isEnabled());
        QVERIFY(analysis->menuAction()->isEnabled());
    }

    // About prints its block again below the first in one child window. Closing the child
    // only hides it: the Window menu brings it back with its lines kept.
    void aboutOpensAChildWindowThatTheWindowMenuBringsBack() {
        auto *about = window->findChild<QAction *>("mnuAbout");
        about->trigger();
        about->trigger();
        auto *view = qobject_cast<QPlainTextEdit *>(window->viewOf(app->formAbout()));
        QVERIFY(view != nullptr);
        QCOMPARE(view->blockCount(), 14);
        QVERIFY(view->toPlainText().startsWith(QString(53, '*') + "\nKemvo         Version 3.1"));
        QCOMPARE(window->mdiArea()->subWindowList().size(), 1);

        window->mdiArea()->subWindowList().first()->close();
        QVERIFY(!app->formAbout().visible());
        auto *windows = window->findChild<QMenu *>("mnuWindow");
        QVERIFY(windows != nullptr);
        emit windows->aboutToShow();
        QCOMPARE(captions(windows).section('|', 0, 1), QString("&Cascade|&Tile"));
        for (QAction *action : windows->actions())
            if (action->text() == "About") {
                QVERIFY(!action->isChecked());
                action->trigger();
            }
        QVERIFY(app->formAbout().visible());
        QCOMPARE(view->blockCount(), 14);
    }

    // The main window and a tool window larger than the screen stay inside its free area (the
    // parameters window then scrolls). Esc closes a tool window without taking its values;
    // Enter presses its OK button.
    void toolWindowsFitTheScreenAndAnswerTheKeys() {
        QRect area = window->screen()->availableGeometry();
        QVERIFY(area.contains(window->frameGeometry()));
        window->findChild<QAction *>("mnuExperimental")->trigger();
        Form &expr = *app->findForm("FormExpr");
        QWidget *frame = window->viewOf(expr)->window();
        QVERIFY(frame->width() <= area.width() && frame->height() <= area.height());
        QVERIFY(area.contains(frame->frameGeometry().topLeft()));
        QTest::keyClick(frame, Qt::Key_Escape);
        QVERIFY(!expr.visible());
        window->findChild<QAction *>("mnuTech")->trigger();
        Form &tech = *app->findForm("FormTech");
        QVERIFY(tech.visible());
        QTest::keyClick(window->viewOf(tech)->window(), Qt::Key_Return);
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

    // The curve choice of Import Data is application-modal, its list follows each new file,
    // OK on the widgets takes the chosen curve, and closing the window takes nothing.
    void importChooserOnTheWidgets() {
        importSample("pstrace-cv.csv");
        QWidget *view = window->viewOf(app->form<FormImport>());
        QVERIFY(view != nullptr && view->isVisible());
        view->close();
        QVERIFY(!app->form<FormImport>().visible());
        QCOMPARE(app->state().pointCount, 0);

        importSample("ec-lab-cv.mpt");
        QVERIFY(view->isVisible());
        QCOMPARE(view->windowModality(), Qt::ApplicationModal);
        auto *list = view->findChild<QListWidget *>("ListCurve");
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->currentRow(), 0);
        QVERIFY(list->item(1)->text().contains("cycle 2"));
        list->setCurrentRow(1);
        QTest::mouseClick(view->findChild<QPushButton *>("OK"), Qt::LeftButton);
        QVERIFY(!view->isVisible());
        QCOMPARE(app->state().pointCount, 17);
        QCOMPARE(app->formResult().lines().front(), std::string("EC-Lab file: cycle 2"));
        QVERIFY(platform->messages.shown.empty());
    }

private:
    void importSample(const std::string &name) {
        platform->files.answers.push_back(std::string(KEMVO_TEST_DATA) + "/import/" + name);
        app->mainWindow().menu("mnuImport").click();
    }
    static QString captions(const QWidget *menu) {
        QStringList texts;
        for (QAction *action : menu->actions())
            texts << (action->isSeparator() ? QString("-") : action->text());
        return texts.join('|');
    }

    std::unique_ptr<HeadlessPlatform> platform;
    std::unique_ptr<Application> app;
    std::unique_ptr<qt::MainWindow> window;
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
