// "&Simulate" triggered from the real menu bar.

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
    void simulateFillsTheCurveAndEnablesTheAnalysisMenu() {
        HeadlessPlatform platform;
        Workbench app(platform.platform());
        qt::MainWindow window(app, qt::allViews());
        window.show();
        auto *analysis = window.findChild<QMenu *>("mnuData");
        QVERIFY(analysis != nullptr);
        QVERIFY(!analysis->menuAction()->isEnabled());

        auto *simulate = window.findChild<QAction *>("mnuSimulate");
        QVERIFY(simulate != nullptr);
        simulate->trigger();
        QCOMPARE(app.state().pointCount, 121);
        QCOMPARE(app.store().curves(60, 1), app.store().reactionCurrent(60, 2));
        QVERIFY(analysis->menuAction()->isEnabled());
        QVERIFY(platform.messages.shown.empty());
    }
};

QTEST_MAIN(SimulateMenuTest)
#include "SimulateMenuTest.moc"
