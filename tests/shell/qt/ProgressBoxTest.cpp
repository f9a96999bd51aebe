// The progress box of a long command on real widgets: nothing for a short run, then a box with
// Stop (CmdStop) that the button and Esc both press, and nothing left when the run ends.

#include "shell/qt/QtProgress.h"

#include <QPushButton>
#include <QThread>
#include <QtTest>

using namespace kemvo;

class ProgressBoxTest : public QObject {
    Q_OBJECT

private:
    QProgressDialog *box() const { return window.findChild<QProgressDialog *>("FormProgress"); }
    // Runs until the box has appeared, as a command polling at every point would.
    void runPastTheDelay() {
        QThread::msleep(qt::QtProgress::kShowAfterMs + qt::QtProgress::kRefreshEveryMs + 20);
        QVERIFY(!progress.advance(0.25));
    }

    QWidget window;
    qt::QtProgress progress;

private slots:
    void init() {
        progress.parent = &window;
        window.show();
    }

    void stopButtonAndEscapeStopTheRun() {
        for (bool byEscape : {false, true}) {
            progress.begin("Simulating");
            runPastTheDelay();
            QVERIFY(box() != nullptr && box()->isVisible());
            QCOMPARE(box()->windowModality(), Qt::ApplicationModal); // no other command meanwhile
            auto *stop = box()->findChild<QPushButton *>("CmdStop");
            QVERIFY(stop != nullptr);
            if (byEscape)
                QTest::keyClick(box(), Qt::Key_Escape);
            else
                QTest::mouseClick(stop, Qt::LeftButton);
            QVERIFY(progress.advance(0.5));
            progress.end();
            QVERIFY(box() == nullptr);
        }
    }

    // A short run shows nothing. A fit's simulations run inside the fit's own progress: one
    // box, ended by the fit.
    void shortRunsShowNothingAndNestedRunsShareOneBox() {
        progress.begin("Fitting");
        progress.begin("Simulating");
        QVERIFY(!progress.advance(0.5));
        QVERIFY(box() == nullptr);
        progress.end();
        runPastTheDelay();
        QVERIFY(box() != nullptr);
        progress.end();
        QVERIFY(box() == nullptr);
    }
};

QTEST_MAIN(ProgressBoxTest)
#include "ProgressBoxTest.moc"
