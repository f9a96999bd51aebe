// The plot and options windows on real widgets: the picture follows the window's size, the
// canvas maps user coordinates to pixels, the options window shows and takes the choices,
// Clear, Copy and Exit act as a user expects.

#include "app/Workbench.h"
#include "app/qt/AllViews.h"
#include "display/FormOption.h"
#include "display/FormPlot.h"
#include "display/qt/PlotView.h"
#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"
#include "shell/qt/MainWindow.h"
#include "shell/qt/QtPlatform.h"

#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QtTest>

#include <cmath>

using namespace kemvo;

namespace {

// Pixels inside `area` (the whole picture by default) that differ from the top-left,
// background, pixel.
int markedPixels(const QImage &image, QRect area = {}) {
    const QRgb background = image.pixel(0, 0);
    int count = 0;
    area = area.isNull() ? image.rect() : area;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
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

    // Plot draws once on the view's canvas (showing the window resizes it); a resize redraws,
    // Clear erases. The close button hides the plot and Plot shows it again; Next Curve shows
    // its line beside the plot, and over a maximised plot without maximising the report.
    void plotWindowDrawsHidesAndKeepsTheReportBesideIt() {
        app->mainWindow().menu("mnuPlot").click(); // no data yet
        QCOMPARE(draws, 1);
        auto *view = plotView();
        QVERIFY(view != nullptr);
        QCOMPARE(&app->form<FormPlot>().picture(), static_cast<const Canvas *>(&view->canvas()));
        fillOneCurve(*app);
        auto *plotWindow = qobject_cast<QMdiSubWindow *>(view->parentWidget());
        QVERIFY(plotWindow != nullptr);
        plotWindow->resize(plotWindow->size() + QSize(120, 80));
        QCOMPARE(draws, 2);
        QImage image = view->canvas().image();
        QCOMPARE(image.size(), view->size() * view->devicePixelRatioF());
        QVERIFY(markedPixels(image) > 1000);
        app->mainWindow().menu("mnuClear").click();
        QCOMPARE(markedPixels(view->canvas().image()), 0);

        plotWindow->close();
        QVERIFY(!app->form<FormPlot>().visible() && !plotWindow->isVisible());
        app->mainWindow().menu("mnuPlot").click();
        QVERIFY(app->form<FormPlot>().visible() && plotWindow->isVisible());
        app->mainWindow().menu("mnuNextCurve").click();
        QWidget *report = window->viewOf(app->formResult())->parentWidget();
        QVERIFY(report->isVisible() && !report->geometry().intersects(plotWindow->geometry()));
        plotWindow->showMaximized();
        app->mainWindow().menu("mnuNextCurve").click();
        QVERIFY(!report->isMaximized());
    }

    // Clearing an auto box shows its two limits with their labels, checking it hides them;
    // OK reads what was typed and clicked, hides the window and redraws.
    void optionsShowTheLimitsAskedForAndOkTakesTheChoices() {
        fillOneCurve(*app);
        QWidget *options = openOptions();
        QVERIFY(options != nullptr);
        const QStringList x{"Label2", "XminText", "Label3", "XmaxText"};
        const QStringList y{"Label4", "YminText", "Label5", "YmaxText"};
        auto shown = [&] {
            QStringList found;
            for (const QString &name : x + y)
                if (auto *widget = options->findChild<QWidget *>(name); !widget->isHidden())
                    found << name;
            return found;
        };
        QCOMPARE(shown(), QStringList()); // both boxes start checked
        clickBox(options->findChild<QCheckBox *>("Yauto"));
        QCOMPARE(shown(), y);
        clickBox(options->findChild<QCheckBox *>("Xauto"));
        QCOMPARE(shown(), x + y);
        clickBox(options->findChild<QCheckBox *>("Yauto"));
        QCOMPARE(shown(), x);

        auto *edit = options->findChild<QLineEdit *>("XmaxText");
        edit->selectAll();
        QTest::keyClicks(edit, "0.45");
        clickBox(options->findChild<QCheckBox *>("CheckGrid"));
        clickBox(options->findChild<QCheckBox *>("overlap"));
        int before = draws;
        QTest::mouseClick(options->findChild<QPushButton *>("OK"), Qt::LeftButton);
        QVERIFY(!app->form<FormOption>().visible() && options->isHidden());
        QCOMPARE(draws, before + 1);
        QCOMPARE(app->state().xMax, 0.45);
        QVERIFY(app->state().gridOn && app->state().overlapMode);
        QVERIFY(plotView() != nullptr && plotView()->isVisible());
    }

    // A 100 x 100 picture with x from 0 to 10 and y from 0 (bottom) to 10 (top): a point lands
    // on the pixel its coordinates name, with y growing upwards; a segment from far outside
    // is cut to the surface; a text at the right edge moves back in.
    void canvasMapsUserCoordinatesToPixels() {
        qt::ImageCanvas canvas(QSize(100, 100));
        canvas.scale(0, 10, 10, 0);
        canvas.point(2.5, 7.5);         // pixel (25, 25): upper left
        canvas.line(-1e6, 5, 1e6, 5);   // row 50, across the whole width
        canvas.line(-1e6, 20, 1e6, 20); // above the top: nothing
        QImage image = canvas.image();
        QVERIFY(markedPixels(image, {24, 24, 3, 3}) > 0);
        QCOMPARE(markedPixels(image, {22, 72, 7, 7}), 0); // not flipped onto the lower half
        for (int x : {1, 50, 98})
            QVERIFY2(markedPixels(image, {x - 1, 49, 3, 3}) > 0, qPrintable(QString::number(x)));
        QCOMPARE(markedPixels(image, {42, 2, 17, 17}), 0);

        qt::ImageCanvas text(QSize(100, 100));
        text.scale(0, 10, 10, 0);
        text.text(9.5, 5, "WWWW"); // starts at pixel 95, far too wide to fit there
        QVERIFY(markedPixels(text.image(), {0, 0, 80, 100}) > 0);
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
