// The curve choice of Import Data on real widgets: the window is application-modal, its list
// follows each new file, and OK on the widgets takes the chosen curve; closing it takes nothing.

#include "app/Workbench.h"
#include "app/qt/AllViews.h"
#include "files/FormImport.h"
#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"
#include "shell/qt/MainWindow.h"

#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using namespace kemvo;

class ImportViewTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        platform = std::make_unique<HeadlessPlatform>();
        app = std::make_unique<Workbench>(platform->platform());
        window = std::make_unique<qt::MainWindow>(*app, qt::allViews());
        window->show();
    }
    void cleanup() {
        window.reset();
        app.reset();
        platform.reset();
    }

    void okOnTheWidgetsTakesTheChosenCurve() {
        importSample("ec-lab-cv.mpt");
        QWidget *view = window->viewOf(app->form<FormImport>());
        QVERIFY(view != nullptr && view->isVisible());
        QCOMPARE(view->windowModality(), Qt::ApplicationModal);
        auto *list = view->findChild<QListWidget *>("ListCurve");
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->currentRow(), 0);
        list->setCurrentRow(1);
        QTest::mouseClick(view->findChild<QPushButton *>("OK"), Qt::LeftButton);
        QVERIFY(!view->isVisible());
        QCOMPARE(app->state().pointCount, 17);
        QCOMPARE(app->formResult().lines().front(), std::string("EC-Lab file: cycle 2"));
    }

    void theListFollowsEachFileAndClosingTakesNothing() {
        importSample("ec-lab-cv.mpt");
        QWidget *view = window->viewOf(app->form<FormImport>());
        view->close();
        QVERIFY(!app->form<FormImport>().visible());
        importSample("pstrace-cv.csv");
        auto *list = view->findChild<QListWidget *>("ListCurve");
        QCOMPARE(list->count(), 3);
        QVERIFY(list->item(0)->text().contains("Scan 1"));
        QTest::mouseClick(view->findChild<QPushButton *>("Cancel"), Qt::LeftButton);
        QCOMPARE(app->state().pointCount, 0);
        QVERIFY(platform->messages.shown.empty());
    }

private:
    void importSample(const std::string &name) {
        platform->files.answers.push_back(std::string(KEMVO_TEST_DATA) + "/import/" + name);
        app->mainWindow().menu("mnuImport").click();
    }

    std::unique_ptr<HeadlessPlatform> platform;
    std::unique_ptr<Workbench> app;
    std::unique_ptr<qt::MainWindow> window;
};

QTEST_MAIN(ImportViewTest)
#include "ImportViewTest.moc"
