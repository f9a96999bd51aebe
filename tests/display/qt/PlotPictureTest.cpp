// The plot's picture as a user meets it, in the window and in the files Export Plot writes: a
// voltammogram of any potential window drawn whole inside the frame, in the window, in PNG and
// in SVG, whose tick labels are 1-2-5 multiples that do not overlap; the measured curve, the fit
// and two components in four colours; the size window of Export Plot.

#include "app/Workbench.h"
#include "app/qt/AllViews.h"
#include "display/FormExportPlot.h"
#include "display/FormPlot.h"
#include "display/qt/PlotFile.h"
#include "display/qt/PlotView.h"
#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"
#include "shell/NumberText.h"
#include "shell/qt/MainWindow.h"

#include <QFile>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cmath>

using namespace kemvo;

namespace {

// The curve colours of the palette, curves 1..4.
const QColor kCurveColours[] = {QColor(0, 114, 178), QColor(213, 94, 0), QColor(0, 158, 115),
                                QColor(204, 121, 167)};

// The curve whose colour the pixel has (antialiased edges within a margin), or 0.
int curveOfPixel(QRgb pixel) {
    for (int k = 0; k < 4; ++k) {
        const QColor &c = kCurveColours[k];
        if (std::abs(qRed(pixel) - c.red()) + std::abs(qGreen(pixel) - c.green()) +
                std::abs(qBlue(pixel) - c.blue()) <
            40)
            return k + 1;
    }
    return 0;
}

bool dark(QRgb pixel) {
    return qRed(pixel) < 90 && qGreen(pixel) < 90 && qBlue(pixel) < 90;
}

// The frame: the outermost rows and columns where dark pixels run over half the picture.
QRect frameOf(const QImage &image) {
    int top = -1, bottom = -1, left = -1, right = -1;
    for (int y = 0; y < image.height(); ++y) {
        int count = 0;
        for (int x = 0; x < image.width(); ++x)
            count += dark(image.pixel(x, y)) ? 1 : 0;
        if (count > image.width() / 2) {
            top = top < 0 ? y : top;
            bottom = y;
        }
    }
    for (int x = 0; x < image.width(); ++x) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            count += dark(image.pixel(x, y)) ? 1 : 0;
        if (count > image.height() / 2) {
            left = left < 0 ? x : left;
            right = x;
        }
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

// Every pixel of the curve's colour lies inside the frame (markers at the frame's edge may
// reach over it by their radius), and the curve reaches across most of the frame's width: it
// is not cut.
void expectCurveInsideFrame(const QImage &image, int markerRadius) {
    const QRect frame = frameOf(image);
    QVERIFY2(frame.width() > image.width() / 2 && frame.height() > image.height() / 2,
             "no frame found");
    const QRect allowed = frame.adjusted(-markerRadius, -markerRadius, markerRadius, markerRadius);
    int low = image.width(), high = -1, found = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (curveOfPixel(image.pixel(x, y)) == 1) {
                ++found;
                low = std::min(low, x);
                high = std::max(high, x);
                if (!allowed.contains(x, y))
                    QFAIL(qPrintable(
                        QString("curve pixel at %1, %2 outside the frame").arg(x).arg(y)));
            }
    QVERIFY(found > 100);
    QVERIFY2(high - low > 0.9 * frame.width(),
             qPrintable(QString("curve spans %1 of %2 px").arg(high - low).arg(frame.width())));
}

void fillCyclicVoltammogram(Application &app, double from, double to) {
    for (int i = 1; i <= 200; ++i) {
        double s = i <= 100 ? (i - 1) / 99.0 : (200 - i) / 99.0;
        app.store().potential(i) = from + s * (to - from);
        app.store().curves(i, 1) = 5e-5 * std::sin(3.1 * s) * (i <= 100 ? 1 : -0.8);
    }
    ExperimentState &state = app.state();
    state.firstPoint = 1;
    state.lastPoint = 200;
    state.pointCount = 200;
    state.curveCount = 1;
    state.currentCurve = 1;
    app.mainWindow().enableDisplayAndAnalysis();
}

} // namespace

class PlotPictureTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        platform = std::make_unique<HeadlessPlatform>();
        platform->platform().writePicture = qt::writePictureFile;
        app = std::make_unique<Workbench>(platform->platform());
        window = std::make_unique<qt::MainWindow>(*app, qt::allViews());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup() {
        window.reset();
        app.reset();
        platform.reset();
    }

    void windowsOfAnyRangeAreDrawnWhole_data() {
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::addColumn<int>("reversed");
        for (int reversed : {0, 1}) {
            QTest::newRow(reversed ? "0.3..0.7 reversed" : "0.3..0.7") << 0.3 << 0.7 << reversed;
            QTest::newRow(reversed ? "1.5..3.2 reversed" : "1.5..3.2") << 1.5 << 3.2 << reversed;
            QTest::newRow(reversed ? "-2..-0.8 reversed" : "-2..-0.8") << -2.0 << -0.8 << reversed;
        }
    }

    // In the window and in the PNG (1890 x 1181 px at 300 dpi): the curve inside the frame and
    // not cut. In the SVG: the tick labels of the x axis are multiples of a 1-2-5 step, side by
    // side without overlapping, and "0" is not among them.
    void windowsOfAnyRangeAreDrawnWhole() {
        QFETCH(double, from);
        QFETCH(double, to);
        QFETCH(int, reversed);
        app->control<CheckBox>("formOption", "CheckXdir").setValue(reversed);
        fillCyclicVoltammogram(*app, from, to);
        app->mainWindow().menu("mnuPlot").click();
        auto *view = qobject_cast<qt::PlotView *>(window->viewOf(app->form<FormPlot>()));
        QVERIFY(view != nullptr);
        expectCurveInsideFrame(view->canvas().image(), 4);

        QTemporaryDir folder;
        platform->files.answers = {folder.filePath("plot.png").toStdString(),
                                   folder.filePath("plot.svg").toStdString()};
        app->mainWindow().menu("mnuExportPlot").click();
        app->mainWindow().menu("mnuExportPlot").click();
        QVERIFY(platform->messages.shown.empty());
        QImage png(folder.filePath("plot.png"));
        QCOMPARE(png.size(), QSize(1890, 1181));
        expectCurveInsideFrame(png, 10);

        QFile svgFile(folder.filePath("plot.svg"));
        QVERIFY(svgFile.open(QIODevice::ReadOnly));
        const QString svg = QString::fromUtf8(svgFile.readAll());
        static const QRegularExpression text(
            R"re(<text[^>]*\sx="([-\d.]+)"[^>]*\sy="([-\d.]+)"[^>]*font-size="([\d.]+)"[^>]*>([^<]*)</text>)re");
        struct Label {
            double x, y, value;
            QString shown;
        };
        std::vector<Label> numbers;
        double fontSize = 11;
        for (auto match = text.globalMatch(svg); match.hasNext();) {
            auto m = match.next();
            const QString shown = m.captured(4).trimmed();
            if (!isNumber(shown.toStdString()))
                continue;
            fontSize = m.captured(3).toDouble();
            numbers.push_back({m.captured(1).toDouble(), m.captured(2).toDouble(),
                               strictValue(shown.toStdString()), shown});
        }
        // The x labels share the lowest row of numbers.
        const double row = std::max_element(numbers.begin(), numbers.end(), [](auto &a, auto &b) {
                               return a.y < b.y;
                           })->y;
        std::vector<Label> xLabels;
        std::copy_if(numbers.begin(), numbers.end(), std::back_inserter(xLabels),
                     [row](const Label &l) { return std::fabs(l.y - row) < 0.5; });
        QVERIFY(xLabels.size() >= 4 && xLabels.size() <= 8);
        std::sort(xLabels.begin(), xLabels.end(), [](auto &a, auto &b) { return a.x < b.x; });
        const double step = std::fabs(xLabels[1].value - xLabels[0].value);
        const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
        QVERIFY2(std::fabs(mantissa - 1) < 1e-6 || std::fabs(mantissa - 2) < 1e-6 ||
                     std::fabs(mantissa - 5) < 1e-6,
                 qPrintable(QString::number(step)));
        QFont font;
        font.setPixelSize(qRound(fontSize));
        QFontMetricsF metrics(font);
        for (std::size_t i = 0; i < xLabels.size(); ++i) {
            QVERIFY(std::fabs(xLabels[i].value / step - std::round(xLabels[i].value / step)) <
                    1e-6);
            QVERIFY(xLabels[i].shown != "0");
            if (i > 0)
                QVERIFY2(xLabels[i - 1].x + metrics.horizontalAdvance(xLabels[i - 1].shown) <
                             xLabels[i].x,
                         qPrintable(xLabels[i - 1].shown + " runs into " + xLabels[i].shown));
        }
    }

    // A separation's curves as a journal prints them: measured, fit and two components each in
    // its own colour in the PNG, written before the plot window was ever shown.
    void measuredFitAndComponentsAreFourColours() {
        fillCyclicVoltammogram(*app, -0.3, 0.3);
        for (int i = 1; i <= 200; ++i) {
            app->store().curves(i, 2) = 0.9 * app->store().curves(i, 1);
            app->store().curves(i, 3) = 0.5 * app->store().curves(i, 1);
            app->store().curves(i, 4) = 0.3 * app->store().curves(i, 1);
        }
        app->state().curveCount = 4;
        app->state().curveLabel = {
            "", "measured", "fit", "component 1 (A+e=B)", "component 2 (B+e=C)", ""};
        QTemporaryDir folder;
        platform->files.answers = {folder.filePath("separation.png").toStdString()};
        app->mainWindow().menu("mnuExportPlot").click();
        QImage png(folder.filePath("separation.png"));
        QVERIFY(!png.isNull());
        int counts[5] = {};
        for (int y = 0; y < png.height(); ++y)
            for (int x = 0; x < png.width(); ++x)
                ++counts[curveOfPixel(png.pixel(x, y))];
        for (int k = 1; k <= 4; ++k)
            QVERIFY2(counts[k] > 200, qPrintable(QString("curve %1: %2 px").arg(k).arg(counts[k])));
        // The plot window, shown by the export for the first time, keeps its own picture.
        auto *view = qobject_cast<qt::PlotView *>(window->viewOf(app->form<FormPlot>()));
        QVERIFY(view != nullptr);
        QCOMPARE(&app->form<FormPlot>().picture(), static_cast<const Canvas *>(&view->canvas()));
    }

    // Export Plot shows its size window first: OK with 85 mm typed writes 1004 x 1181 px at
    // 300 dpi (85 / 25.4 * 300 = 1003.9); Cancel writes nothing.
    void exportPlotAsksForTheSize() {
        platform->platform().runDialog = [this](Form &form) { window->runDialog(form); };
        fillCyclicVoltammogram(*app, -0.3, 0.3);
        QTemporaryDir folder;
        auto answer = [this](const char *button, const char *width) {
            QTimer::singleShot(0, window.get(), [this, button, width] {
                QWidget *view = window->viewOf(app->form<FormExportPlot>());
                QVERIFY(view != nullptr && view->isVisible());
                QVERIFY(view->window()->isModal());
                auto *edit = view->findChild<QLineEdit *>("PlotWidthMm");
                edit->selectAll();
                QTest::keyClicks(edit, width);
                QTest::mouseClick(view->findChild<QPushButton *>(button), Qt::LeftButton);
            });
        };
        answer("OK", "85");
        platform->files.answers = {folder.filePath("narrow.png").toStdString()};
        app->mainWindow().menu("mnuExportPlot").click();
        QCOMPARE(QImage(folder.filePath("narrow.png")).size(), QSize(1004, 1181));

        answer("Cancel", "90");
        platform->files.answers = {folder.filePath("cancelled.png").toStdString()};
        app->mainWindow().menu("mnuExportPlot").click();
        QVERIFY(!QFile::exists(folder.filePath("cancelled.png")));
        QVERIFY(platform->messages.shown.empty());
    }

private:
    std::unique_ptr<HeadlessPlatform> platform;
    std::unique_ptr<Application> app;
    std::unique_ptr<qt::MainWindow> window;
};

QTEST_MAIN(PlotPictureTest)
#include "PlotPictureTest.moc"
