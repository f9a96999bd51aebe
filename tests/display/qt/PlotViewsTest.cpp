// The plot and options windows on real widgets: the picture follows the window's size, OK
// reads, hides and redraws, the auto boxes show and hide their limits, Clear and Copy act on
// the picture.

#include "display/FormOption.h"
#include "display/FormPlot.h"
#include "display/qt/PlotView.h"
#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"
#include "shell/qt/MainWindow.h"
#include "shell/qt/QtPlatform.h"

#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
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
        app = std::make_unique<Application>(platform->platform());
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

    void firstPlotDrawsOnceOnTheViewsCanvas() {
        app->mainWindow().menu("mnuPlot").click(); // no data yet
        QCOMPARE(draws, 1);
        QCOMPARE(platform->messages.shown, std::vector<std::string>{"Error: No data!"});
        auto *view = plotView();
        QVERIFY(view != nullptr);
        QCOMPARE(&app->form<FormPlot>().picture(), static_cast<const Canvas *>(&view->canvas()));
    }

    void resizeRedrawsAtTheNewSize() {
        fillOneCurve(*app);
        app->mainWindow().menu("mnuPlot").click();
        auto *view = plotView();
        QVERIFY(view != nullptr);
        int before = draws;
        view->parentWidget()->resize(view->parentWidget()->size() + QSize(120, 80));
        QCOMPARE(draws, before + 1);
        QCOMPARE(view->canvas().logicalSize(), view->size());
        QImage image = view->canvas().image();
        QCOMPARE(image.size(), view->size() * view->devicePixelRatioF());
        QVERIFY(markedPixels(image) > 1000);
    }

    void okHidesTheOptionsAndRedraws() {
        fillOneCurve(*app);
        app->mainWindow().menu("mnuOption").click();
        QWidget *options = window->viewOf(app->form<FormOption>());
        QVERIFY(options != nullptr && options->isVisible());
        auto *grid = options->findChild<QCheckBox *>("CheckGrid");
        clickBox(grid);
        int before = draws;
        QTest::mouseClick(options->findChild<QPushButton *>("OK"), Qt::LeftButton);
        QVERIFY(!app->form<FormOption>().visible());
        QVERIFY(options->isHidden());
        QCOMPARE(draws, before + 1);
        QVERIFY(app->state().gridOn);
        QVERIFY(plotView() != nullptr && plotView()->isVisible());
    }

    void autoBoxShowsAndHidesItsLimits_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QStringList>("limits");
        QTest::addColumn<QStringList>("others");
        QTest::newRow("Xauto") << "Xauto" << QStringList{"Label2", "XminText", "Label3", "XmaxText"}
                               << QStringList{"YminText", "YmaxText"};
        QTest::newRow("Yauto") << "Yauto" << QStringList{"Label4", "YminText", "Label5", "YmaxText"}
                               << QStringList{"XminText", "XmaxText"};
    }
    void autoBoxShowsAndHidesItsLimits() {
        QFETCH(QString, box);
        QFETCH(QStringList, limits);
        QFETCH(QStringList, others);
        app->mainWindow().menu("mnuOption").click();
        QWidget *options = window->viewOf(app->form<FormOption>());
        auto hidden = [options](const QString &name) {
            auto *widget = options->findChild<QWidget *>(name);
            return widget == nullptr || widget->isHidden();
        };
        for (const QString &name : limits + others)
            QVERIFY2(hidden(name), qPrintable(name));
        clickBox(options->findChild<QCheckBox *>(box));
        for (const QString &name : limits)
            QVERIFY2(!hidden(name), qPrintable(name));
        for (const QString &name : others)
            QVERIFY2(hidden(name), qPrintable(name));
        clickBox(options->findChild<QCheckBox *>(box));
        for (const QString &name : limits)
            QVERIFY2(hidden(name), qPrintable(name));
    }

    void typedLimitReachesTheModel() {
        app->mainWindow().menu("mnuOption").click();
        QWidget *options = window->viewOf(app->form<FormOption>());
        clickBox(options->findChild<QCheckBox *>("Xauto"));
        auto *edit = options->findChild<QLineEdit *>("XmaxText");
        edit->selectAll();
        QTest::keyClicks(edit, "0.45");
        QCOMPARE(app->form<FormOption>().XmaxText.text(), std::string("0.45"));
    }

    void clearErasesThePicture() {
        fillOneCurve(*app);
        app->mainWindow().menu("mnuPlot").click();
        QVERIFY(markedPixels(plotView()->canvas().image()) > 1000);
        app->mainWindow().menu("mnuClear").click();
        QCOMPARE(markedPixels(plotView()->canvas().image()), 0);
    }

    void copyPutsTheImageOnTheClipboard() {
        qt::QtPlatform qtPlatform;
        Application qtApp(qtPlatform.platform());
        qt::MainWindow qtWindow(qtApp, qt::allViews());
        fillOneCurve(qtApp);
        qtApp.mainWindow().menu("mnuPlot").click();
        auto *view = qobject_cast<qt::PlotView *>(qtWindow.viewOf(qtApp.form<FormPlot>()));
        QVERIFY(view != nullptr);
        QGuiApplication::clipboard()->clear();
        qtApp.mainWindow().menu("mnuCopyto").click();
        QImage copied = QGuiApplication::clipboard()->image();
        QCOMPARE(copied.size(), view->canvas().image().size());
        QVERIFY(markedPixels(copied) > 1000);
    }

    void exitEndsTheRunWithTheOptionsWindowOpen() {
        qt::QtPlatform qtPlatform;
        Application qtApp(qtPlatform.platform());
        qt::MainWindow qtWindow(qtApp, qt::allViews());
        qtWindow.show();
        qtApp.mainWindow().menu("mnuOption").click();
        QVERIFY(QTest::qWaitForWindowExposed(qtWindow.viewOf(qtApp.form<FormOption>())));
        bool refused = false;
        QTimer::singleShot(0, &qtWindow, [&] { qtApp.mainWindow().menu("mnuExit").click(); });
        QTimer::singleShot(3000, &qtWindow, [&] {
            refused = true;
            QApplication::exit(1);
        });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!refused);
    }

private:
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
