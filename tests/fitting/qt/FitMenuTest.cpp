// "&Auto Fit" and "Auto S&eparate" triggered from the real menu bar, their report in the
// result window's view.

#include "app/Workbench.h"
#include "app/qt/AllViews.h"
#include "setup/FormExpr.h"
#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"
#include "shell/qt/MainWindow.h"
#include "shell/qt/TextWindowView.h"

#include <QAction>
#include <QtTest>

using namespace kemvo;

class FitMenuTest : public QObject {
    Q_OBJECT

private slots:
    void autoSeparateFitsReportsAndDrawsTheSteps() {
        HeadlessPlatform platform;
        Workbench app(platform.platform());
        qt::MainWindow window(app, qt::allViews());
        window.show();
        FormExpr &form = app.form<FormExpr>();
        form.CheckPreEqu.setValue(0);
        form.CheckFitted(fitConcentration(1)).setValue(0);
        form.ks(1).setText("0.01");
        trigger(window, "mnuSimulate"); // the measured curve
        form.ks(1).setText("0.02");
        form.CheckFitted(fitKs(1)).setValue(1);

        trigger(window, "mnuAutoSeparate");
        QVERIFY(platform.messages.shown.empty());
        QCOMPARE(form.CheckFitted(fitKs(1)).caption(), std::string("1e-2"));
        QCOMPARE(app.state().curveCount, Int16(3));
        bool reported = false;
        for (auto *view : window.findChildren<qt::TextWindowView *>())
            reported = reported || view->toPlainText().contains("No. of MARQUARDS = ");
        QVERIFY(reported);
    }

private:
    static void trigger(qt::MainWindow &window, const char *name) {
        auto *action = window.findChild<QAction *>(name);
        QVERIFY(action != nullptr);
        action->trigger();
    }
};

QTEST_MAIN(FitMenuTest)
#include "FitMenuTest.moc"
