// Every window on a screen of 1280 x 720 (the offscreen platform configured with one such
// screen): the main window, each tool window and each child window lies wholly on it, also
// after a fit has written its values into the parameters window's captions, which then elide
// rather than widen the window.

#include "app/Workbench.h"
#include "app/qt/AllViews.h"
#include "setup/Catalogue.h"
#include "setup/FormExpr.h"
#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"
#include "shell/qt/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QtTest>

using namespace kemvo;

class SmallScreenTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        platform = std::make_unique<HeadlessPlatform>();
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

    void theScreenIsTheSmallOne() {
        QCOMPARE(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 1280, 720));
    }

    // Each window shown in turn: a top-level one with room for a window manager's frame (a
    // title bar of 32 px, borders of 8) inside the screen, a child inside the main window's
    // area. Then a fit's values in every fit entry's caption: the parameters window keeps its
    // place and size on the screen.
    void everyWindowStaysOnTheScreen() {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const QRect withFrame = screen.marginsRemoved(QMargins(8, 32, 8, 8));
        QVERIFY2(withFrame.contains(window->geometry()), qPrintable(describe(window.get())));
        for (Form *form : app->forms()) {
            if (form == &app->mainWindow() || form->modal())
                continue;
            form->show();
            QApplication::processEvents();
            QWidget *view = window->viewOf(*form);
            if (view == nullptr)
                continue;
            QWidget *top = view->window();
            if (top == window.get()) {
                auto *child = qobject_cast<QMdiSubWindow *>(view->parentWidget());
                QVERIFY(child != nullptr);
                QVERIFY2(window->mdiArea()->viewport()->rect().contains(child->geometry()),
                         qPrintable(QString::fromStdString(form->name()) + ": " + describe(child)));
            } else {
                QVERIFY2(withFrame.contains(top->geometry()),
                         qPrintable(QString::fromStdString(form->name()) + ": " + describe(top)));
            }
        }

        FormExpr &expr = app->form<FormExpr>();
        QWidget *parameters = window->viewOf(expr)->window();
        const QRect before = parameters->geometry();
        for (int entry = 1; entry <= kFitEntryCount; ++entry)
            expr.CheckFitted(entry).setCaption(entry % 2 ? "-1.23456789e-12" : "2.345e-3");
        QApplication::processEvents();
        QVERIFY2(withFrame.contains(parameters->geometry()), qPrintable(describe(parameters)));
        QCOMPARE(parameters->geometry(), before);
        // ... and its content still fits in it, nothing squeezed over its neighbour.
        QVERIFY(window->viewOf(expr)->minimumSizeHint().width() <= parameters->width());
        // A value as a fit writes it shows whole; a longer caption is elided, whole in its tip.
        auto *typical = window->viewOf(expr)->findChild<QCheckBox *>("CheckFitted(2)");
        auto *longer = window->viewOf(expr)->findChild<QCheckBox *>("CheckFitted(1)");
        QVERIFY(typical != nullptr && longer != nullptr);
        QCOMPARE(typical->text(), QString("2.345e-3"));
        QVERIFY(longer->text().endsWith(QChar(0x2026)));
        QCOMPARE(longer->toolTip(), QString("-1.23456789e-12"));
        // The note of a changed area: the window keeps its size.
        expr.optElectrode(static_cast<int>(Electrode::Microdisc)).select();
        expr.optElectrode(static_cast<int>(Electrode::Planar)).select();
        QApplication::processEvents();
        QVERIFY(!expr.LabelAreaNote.caption().empty());
        QVERIFY2(withFrame.contains(parameters->geometry()), qPrintable(describe(parameters)));
        QVERIFY(window->viewOf(expr)->minimumSizeHint().height() <= parameters->height());
    }

private:
    static QString describe(const QWidget *widget) {
        const QRect g = widget->geometry();
        return QString("%1 x %2 at %3, %4").arg(g.width()).arg(g.height()).arg(g.x()).arg(g.y());
    }

    std::unique_ptr<HeadlessPlatform> platform;
    std::unique_ptr<Application> app;
    std::unique_ptr<qt::MainWindow> window;
};

// The offscreen platform with a single screen of 1280 x 720.
int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM",
            QByteArray("offscreen:configfile=") + KEMVO_TEST_DATA "/screens/1280x720.json");
    QApplication application(argc, argv);
    SmallScreenTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SmallScreenTest.moc"
