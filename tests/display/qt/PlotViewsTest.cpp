// The plot and options windows on real widgets: the picture follows the window's size, OK
// reads what was typed and clicked, hides and redraws, the auto boxes show and hide their
// limits, Clear, Copy and Exit act as a user expects.

#include "display/FormOption.h"
#include "display/FormPlot.h"
#include "display/qt/PlotView.h"
#include "app/Workbench.h"
#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"
#include "app/qt/AllViews.h"
#include "shell/qt/MainWindow.h"
#include "shell/qt/QtPlatform.h"

#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <cmath>

using namespace kemvo;

namespace {

// Pixels of the picture that differ from its top-left (background) pixel.
int markedPixels(const QImage &image) {
    const QRgb background = image.pixel(0, 0);
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) != background ? 1 : 0;
    return count;
}

// Clicks a check box on its indicator, as a user does (its middle may lie past its text).
void clickBox(QCheckBox *box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

void fillOneCurve(Application &app) {
    for (int i = 1; i <= 200; ++i) {
        app.store().potential(i) = 0.3 - 0.003 * i;
        app.store().curves(i, 1) = 5e-6 * std::sin(0.05 * i);
    }
    app.state().firstPoint = 1;
    app.state().lastPoint = 200;
    app.state().curveCount = 1;
    app.state().currentCurve = 1;
}

} // namespace

class PlotViewsTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        platform = std::make_unique<HeadlessPlatform>();
        app = std::make_unique<Workbench>(platform->platform());
        auto draw = app->drawPlotHook;
        app->drawPlotHook = [this, draw] {
            ++draws;
            draw();
        };
        draws = 0;
        window = std::make_unique<qt::MainWindow>(*app, qt::allViews());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup() {
        window.reset();
        app.reset();
        platform.reset();
    }

    void plotDrawsOnceOnTheViewsCanvasResizeRedrawsAndClearErases() {
        app->mainWindow().menu("mnuPlot").click(); // no data yet; showing the window resizes it
        QCOMPARE(draws, 1);
        QCOMPARE(platform->messages.shown, std::vector<std::string>{"Error: No data!"});
        auto *view = plotView();
        QVERIFY(view != nullptr);
        QCOMPARE(&app->form<FormPlot>().picture(), static_cast<const Canvas *>(&view->canvas()));
        fillOneCurve(*app);
        view->parentWidget()->resize(view->parentWidget()->size() + QSize(120, 80));
        QCOMPARE(draws, 2);
        QImage image = view->canvas().image();
        QCOMPARE(image.size(), view->size() * view->devicePixelRatioF());
        QVERIFY(markedPixels(image) > 1000);
        app->mainWindow().menu("mnuClear").click();
        QCOMPARE(markedPixels(view->canvas().image()), 0);
    }

    void okReadsTheTypedChoicesHidesAndRedraws() {
        fillOneCurve(*app);
        QWidget *options = openOptions();
        QVERIFY(options != nullptr);
        clickBox(options->findChild<QCheckBox *>("Xauto"));
        auto *edit = options->findChild<QLineEdit *>("XmaxText");
        edit->selectAll();
        QTest::keyClicks(edit, "0.45");
        clickBox(options->findChild<QCheckBox *>("CheckGrid"));
        clickBox(options->findChild<QCheckBox *>("overlap"));
        int before = draws;
        QTest::mouseClick(options->findChild<QPushButton *>("OK"), Qt::LeftButton);
        QVERIFY(!app->form<FormOption>().visible());
        QVERIFY(options->isHidden());
        QCOMPARE(draws, before + 1);
        QCOMPARE(app->state().xMax, 0.45);
        QVERIFY(app->state().gridOn && app->state().overlapMode);
        QVERIFY(plotView() != nullptr && plotView()->isVisible());
    }

    void autoBoxShowsAndHidesItsLimits_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QStringList>("limits");
        QTest::newRow("X") << "Xauto" << QStringList{"Label2", "XminText", "Label3", "XmaxText"};
        QTest::newRow("Y") << "Yauto" << QStringList{"Label4", "YminText", "Label5", "YmaxText"};
    }
    void autoBoxShowsAndHidesItsLimits() {
        QFETCH(QString, box);
        QFETCH(QStringList, limits);
        QWidget *options = openOptions();
        QVERIFY(options != nullptr);
        const QStringList all{"Label2", "XminText", "Label3", "XmaxText",
                              "Label4", "YminText", "Label5", "YmaxText"};
        auto expectShownOnly = [options, &all](const QStringList &shown) {
            for (const QString &name : all) {
                auto *widget = options->findChild<QWidget *>(name);
                QVERIFY2((widget != nullptr && !widget->isHidden()) == shown.contains(name),
                         qPrintable(name));
            }
        };
        expectShownOnly({}); // both boxes start checked
        clickBox(options->findChild<QCheckBox *>(box));
        expectShownOnly(limits);
        clickBox(options->findChild<QCheckBox *>(box));
        expectShownOnly({});
    }

    // On the real platform: Copy puts the picture on the system clipboard, and Exit ends the
    // run although the options window is open.
    void copyAndExitOnTheRealPlatform() {
        qt::QtPlatform qtPlatform;
        Workbench qtApp(qtPlatform.platform());
        qt::MainWindow qtWindow(qtApp, qt::allViews());
        qtWindow.show();
        fillOneCurve(qtApp);
        qtApp.mainWindow().menu("mnuPlot").click();
        auto *view = qobject_cast<qt::PlotView *>(qtWindow.viewOf(qtApp.form<FormPlot>()));
        QVERIFY(view != nullptr);
        QGuiApplication::clipboard()->clear();
        qtApp.mainWindow().menu("mnuCopyto").click();
        QImage copied = QGuiApplication::clipboard()->image();
        QCOMPARE(copied.size(), view->canvas().image().size());
        QVERIFY(markedPixels(copied) > 1000);

        qtApp.mainWindow().menu("mnuOption").click();
        QVERIFY(QTest::qWaitForWindowExposed(qtWindow.viewOf(qtApp.form<FormOption>())));
        QTimer::singleShot(0, &qtWindow, [&] { qtApp.mainWindow().menu("mnuExit").click(); });
        QTimer::singleShot(3000, &qtWindow, [] { QApplication::exit(1); }); // Exit was refused
        QCOMPARE(QApplication::exec(), 0);
    }

private:
    QWidget *openOptions() {
        app->mainWindow().menu("mnuOption").click();
        QWidget *options = window->viewOf(app->form<FormOption>());
        return options != nullptr && options->isVisible() ? options : nullptr;
    }
    qt::PlotView *plotView() const {
        return qobject_cast<qt::PlotView *>(window->viewOf(app->form<FormPlot>()));
    }

    std::unique_ptr<HeadlessPlatform> platform;
    std::unique_ptr<Application> app;
    std::unique_ptr<qt::MainWindow> window;
    int draws = 0;
};

QTEST_MAIN(PlotViewsTest)
#include "PlotViewsTest.moc"
