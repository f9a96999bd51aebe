// "&Simulate" and the Analysis transforms triggered from the real menu bar.

#include "app/Workbench.h"
#include "app/qt/AllViews.h"
#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"
#include "shell/qt/MainWindow.h"

#include <QAction>
#include <QMenu>
#include <QtTest>

using namespace kemvo;

class SimulateMenuTest : public QObject {
    Q_OBJECT

private slots:
    void simulateFillsTheCurveAndEnablesTheMenus() {
        HeadlessPlatform platform;
        Workbench app(platform.platform());
        qt::MainWindow window(app, qt::allViews());
        window.show();
        auto *analysis = window.findChild<QMenu *>("mnuData");
        QVERIFY(analysis != nullptr);
        QVERIFY(!analysis->menuAction()->isEnabled());

        trigger(window, "mnuSimulate");
        QCOMPARE(app.state().pointCount, 121);
        QCOMPARE(app.store().curves(60, 1), app.store().reactionCurrent(60, 2));
        QVERIFY(analysis->menuAction()->isEnabled());
        QVERIFY(platform.messages.shown.empty());

        // The semi-derivative stays on the plot after its refresh.
        trigger(window, "mnuSemi");
        QVERIFY(app.store().curves(60, 1) != app.store().reactionCurrent(60, 2));
    }

private:
    static void trigger(qt::MainWindow &window, const char *name) {
        auto *action = window.findChild<QAction *>(name);
        QVERIFY(action != nullptr);
        action->trigger();
    }
};

QTEST_MAIN(SimulateMenuTest)
#include "SimulateMenuTest.moc"
