// "Global Fit…" from the real menu bar: two simulated curves added to the window's list, fitted
// by its Auto Fit button, and the plot of each measured curve with its fit drawn in the window.

#include "app/Workbench.h"
#include "app/qt/AllViews.h"
#include "fitting/FormGlobalFit.h"
#include "setup/FormExpr.h"
#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"
#include "shell/qt/MainWindow.h"

#include <QAction>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <cstdlib>

using namespace kemvo;

class GlobalFitWindowTest : public QObject {
    Q_OBJECT

private slots:
    void addsFitsAndDrawsTheCurves() {
        HeadlessPlatform platform;
        Workbench app(platform.platform());
        qt::MainWindow window(app, qt::allViews());
        window.show();
        FormExpr &form = app.form<FormExpr>();
        form.CheckPreEqu.setValue(0);
        form.CheckFitted(fitConcentration(1)).setValue(0);
        form.option10.select();
        form.ks(1).setText("0.01");
        trigger(window, "mnuGlobalFit");
        QWidget *view = window.viewOf(app.form<FormGlobalFit>());
        QVERIFY(view != nullptr);
        auto *add = view->findChild<QPushButton *>("Add");
        auto *fit = view->findChild<QPushButton *>("AutoFit");
        auto *list = view->findChild<QListWidget *>("ListCurves");
        QWidget *plot = view->findChild<QWidget *>("Plot");
        QVERIFY(add != nullptr && fit != nullptr && list != nullptr && plot != nullptr);
        for (const char *v : {"0.1", "1"}) {
            form.V.setText(v);
            trigger(window, "mnuSimulate");
            add->click();
        }
        QCOMPARE(list->count(), 2);
        QVERIFY(list->item(1)->text().contains("1 V/s"));
        form.ks(1).setText("0.02");
        form.CheckFitted(fitKs(1)).setValue(1);
        fit->click();
        QVERIFY2(platform.messages.shown.empty(),
                 platform.messages.shown.empty() ? "" : platform.messages.shown[0].c_str());
        const auto &result = app.form<FormGlobalFit>().lastResult();
        QVERIFY(result.has_value());
        QVERIFY(std::abs(result->parameters[0].value - 0.01) < 1e-6);

        // The plot holds the curves' colours, not only the frame: count coloured pixels.
        const QImage image = plot->grab().toImage();
        int coloured = 0;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2) {
                const QColor c = image.pixelColor(x, y);
                coloured += std::abs(c.red() - c.blue()) > 60 ? 1 : 0;
            }
        QVERIFY2(coloured > 200, qPrintable(QString::number(coloured)));
        if (const char *out = std::getenv("KEMVO_GRAB"))
            view->window()->grab().save(out);
    }

private:
    static void trigger(qt::MainWindow &window, const char *name) {
        auto *action = window.findChild<QAction *>(name);
        QVERIFY(action != nullptr);
        action->trigger();
    }
};

QTEST_MAIN(GlobalFitWindowTest)
#include "GlobalFitWindowTest.moc"
