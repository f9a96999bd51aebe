// A user at the set-up windows: typing and clicking on the real widgets, checking what the
// windows then show.

#include "app/Workbench.h"
#include "setup/qt/SetupViews.h"
#include "shell/HeadlessPlatform.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <memory>

using namespace kemvo;

class FormExprViewTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<HeadlessPlatform> platform_;
    std::unique_ptr<Application> app_;
    std::unique_ptr<QWidget> mech_;
    std::unique_ptr<QWidget> expr_;

    template <typename W> W *widget(QWidget *view, const char *name) {
        W *found = view->findChild<W *>(QString::fromLatin1(name));
        if (found == nullptr)
            qFatal("no widget %s", name);
        return found;
    }
    QLineEdit *edit(const char *name) { return widget<QLineEdit>(expr_.get(), name); }
    void retype(const char *name, const QString &text) {
        QLineEdit *box = edit(name);
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, text);
    }
    bool shown(QWidget *w) { return w->isVisibleTo(expr_.get()); }
    // A click on the box or the dot itself, where the user aims.
    static void click(QAbstractButton *button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }

private slots:
    void init() {
        platform_ = std::make_unique<HeadlessPlatform>();
        app_ = std::make_unique<Workbench>(platform_->platform());
        mech_.reset(qt::createFormMechView(*app_, app_->form<FormMech>()));
        expr_.reset(qt::createFormExprView(*app_, app_->form<FormExpr>()));
        app_->mainWindow().menu("mnuExperimental").click();
        expr_->show();
    }
    void cleanup() {
        expr_.reset();
        mech_.reset();
        app_.reset();
    }

    void sphereLocksTheAreaItComputes() {
        QLineEdit *radius = edit("radius");
        QVERIFY(!shown(radius));
        click(widget<QRadioButton>(expr_.get(), "optElectrode(2)"));
        QVERIFY(shown(radius) && edit("ARE")->isReadOnly());
        retype("radius", "0.3");
        QCOMPARE(edit("ARE")->text(), QString("1.13e0")); // 4 pi 0.09 = 1.131
        // The state takes the area itself, 4 pi 0.09 = 1.1309734 cm2, not the rounded box.
        QVERIFY(qAbs(app_->state().area - 1.1309734) < 1e-7);
        click(widget<QRadioButton>(expr_.get(), "optElectrode(1)"));
        QVERIFY(!shown(radius) && !edit("ARE")->isReadOnly());
    }

    void mechanismChoiceShowsItsRowsAtOnce() {
        mech_->show();
        click(widget<QRadioButton>(mech_.get(), "mech(13)"));
        QTest::mouseClick(widget<QPushButton>(mech_.get(), "Command1"), Qt::LeftButton);
        QVERIFY(!app_->form<FormMech>().visible());
        QCOMPARE(app_->state().mechanism, Int16(13));
        // The shown window follows the choice without being activated again.
        QVERIFY(shown(edit("kf(2)")) && shown(edit("C(4)")) && !shown(edit("kf(3)")));
        QCOMPARE(widget<QLabel>(expr_.get(), "homo(2)")->text(), QString("C=A"));
    }

    void badStepKeepsTheWindowOpen() {
        retype("Estep", "5 mV");
        QTest::mouseClick(widget<QPushButton>(expr_.get(), "OK"), Qt::LeftButton);
        QCOMPARE(platform_->messages.shown.size(), std::size_t(1)); // its text: ParameterIntakeTest
        QVERIFY(app_->form<FormExpr>().visible());
        retype("Estep", "0.01");
        QTest::mouseClick(widget<QPushButton>(expr_.get(), "OK"), Qt::LeftButton);
        QVERIFY(!app_->form<FormExpr>().visible());
        QCOMPARE(app_->state().eStep, 0.01);
    }

    // E vertex 2 and E final follow E start as the user types it, until the user types them.
    void programmeVerticesFollowEStartUntilTyped() {
        QVERIFY(shown(edit("Evertex2")) && shown(edit("Efinal")) && shown(edit("TextQuiet")) &&
                shown(edit("TextVertexHold")));
        retype("Estart", "-0.5");
        QCOMPARE(edit("Evertex2")->text(), QStringLiteral("-0.5"));
        QCOMPARE(edit("Efinal")->text(), QStringLiteral("-0.5"));
        retype("Evertex2", "0.2");
        retype("Estart", "0.3");
        QCOMPARE(edit("Evertex2")->text(), QStringLiteral("0.2"));
        QCOMPARE(edit("Efinal")->text(), QStringLiteral("0.3"));
    }
};

QTEST_MAIN(FormExprViewTest)
#include "FormExprViewTest.moc"
