// "&Simulate" and the Analysis transforms triggered from the real menu bar.

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
    void init() {
        platform = std::make_unique<HeadlessPlatform>();
        app = std::make_unique<Application>(platform->platform());
        window = std::make_unique<qt::MainWindow>(*app, qt::allViews());
        window->show();
    }
    void cleanup() {
        window.reset();
        app.reset();
        platform.reset();
    }

    void simulateFillsTheCurveAndEnablesTheMenus_data() {
        QTest::addColumn<int>("digital");
        QTest::newRow("digital") << 1;
        QTest::newRow("analytical") << 0;
    }
    void simulateFillsTheCurveAndEnablesTheMenus() {
        QFETCH(int, digital);
        app->control<CheckBox>("FormTech", "CheckDigital").setValue(digital);
        auto *analysis = window->findChild<QMenu *>("mnuData");
        QVERIFY(analysis != nullptr);
        QVERIFY(!analysis->menuAction()->isEnabled());

        trigger("mnuSimulate");
        QCOMPARE(app->state().pointCount, 121);
        QCOMPARE(app->store().curves(60, 1), app->store().reactionCurrent(60, 2));
        QVERIFY(analysis->menuAction()->isEnabled());
        QVERIFY(platform->messages.shown.empty());

        // The semi-derivative stays on the plot after its refresh.
        trigger("mnuSemi");
        QVERIFY(app->store().curves(60, 1) != app->store().reactionCurrent(60, 2));
    }

private:
    void trigger(const char *name) {
        auto *action = window->findChild<QAction *>(name);
        QVERIFY(action != nullptr);
        action->trigger();
    }

    std::unique_ptr<HeadlessPlatform> platform;
    std::unique_ptr<Application> app;
    std::unique_ptr<qt::MainWindow> window;
};

QTEST_MAIN(SimulateMenuTest)
#include "SimulateMenuTest.moc"
