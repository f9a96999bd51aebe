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
    std::unique_ptr<QWidget> tech_;
    std::unique_ptr<QWidget> mech_;
    std::unique_ptr<QWidget> expr_;

    template <typename W> W *widget(QWidget *view, const char *name) {
        W *found = view->findChild<W *>(QString::fromLatin1(name));
        if (found == nullptr)
            qFatal("no widget %s", name);
        return found;
    }
    QLineEdit *edit(const char *name) { return widget<QLineEdit>(expr_.get(), name); }
    QLabel *label(const char *name) { return widget<QLabel>(expr_.get(), name); }
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
        tech_.reset(qt::createFormTechView(*app_, app_->form<FormTech>()));
        mech_.reset(qt::createFormMechView(*app_, app_->form<FormMech>()));
        expr_.reset(qt::createFormExprView(*app_, app_->form<FormExpr>()));
        app_->mainWindow().menu("mnuExperimental").click();
        expr_->show();
    }
    void cleanup() {
        expr_.reset();
        mech_.reset();
        tech_.reset();
        app_.reset();
    }

    void headingsUseTheGreekLetters() {
        QCOMPARE(label("LabelAlpha")->text(), QString::fromUtf8("\u03B1"));
        QCOMPARE(label("LabelCond")->text(), QString::fromUtf8("Cond (/M/\u03A9)"));
        QCOMPARE(label("LabelD")->text(), QString::fromUtf8("D (cm \u00B2/s)"));
    }

    void typingAConcentrationUpdatesItsInitialValue() {
        // theta = 4.161e-4 as worked in ParametersWindowTest: 2e-3 / (1 + theta) stays on A.
        QCOMPARE(label("Cinit(1)")->text(), QString("9.996e-4"));
        retype("C(1)", "2e-3");
        QCOMPARE(label("Cinit(1)")->text(), QString("1.999e-3"));
        QCOMPARE(label("Cinit(2)")->text(), QString("8.318e-7"));
        click(widget<QCheckBox>(expr_.get(), "CheckPreEqu"));
        QCOMPARE(label("Cinit(1)")->text(), QString("2e-3"));
        QCOMPARE(label("Cinit(2)")->text(), QString("0"));
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

    void tickingAFitEntryShowsItsRange() {
        QLineEdit *low = edit("TextCmin(5)");
        QVERIFY(!shown(low));
        click(widget<QCheckBox>(expr_.get(), "CheckFitted(5)"));
        QVERIFY(shown(low));
        // ks(1) = 1e4 cm/s lies above the initial 1e-4..100: two decades either side instead.
        QCOMPARE(low->text(), QString("100"));
        QCOMPARE(edit("TextCmax(5)")->text(), QString("1000000"));
        click(widget<QCheckBox>(expr_.get(), "CheckFitted(5)"));
        QVERIFY(!shown(low));
    }

    void capacitanceAndResistanceAreFitEntriesWithRanges() {
        for (const char *entry : {"20", "21"}) {
            QLineEdit *low = edit(qPrintable(QString("TextCmin(%1)").arg(entry)));
            auto *box =
                widget<QCheckBox>(expr_.get(), qPrintable(QString("CheckFitted(%1)").arg(entry)));
            QVERIFY(shown(box) && !shown(low));
            click(box);
            QVERIFY(shown(low));
            QCOMPARE(low->text(), QString("0"));
        }
        QCOMPARE(edit("TextCmax(20)")->text(), QString("1e-3"));
        QCOMPARE(edit("TextCmax(21)")->text(), QString("1000"));
    }

    void mechanismChoiceShowsItsRowsAtOnce() {
        QVERIFY(!shown(edit("kf(1)")));
        mech_->show();
        click(widget<QRadioButton>(mech_.get(), "mech(13)"));
        QTest::mouseClick(widget<QPushButton>(mech_.get(), "Command1"), Qt::LeftButton);
        QVERIFY(!app_->form<FormMech>().visible());
        QCOMPARE(app_->state().mechanism, Int16(13));
        // The shown window follows the choice without being activated again.
        QVERIFY(shown(edit("kf(2)")) && shown(edit("C(4)")) && !shown(edit("kf(3)")));
        QCOMPARE(label("homo(2)")->text(), QString("C=A"));
    }

    void clearingDigitalSimulationLocksTheResistance() {
        tech_->show();
        QVERIFY(edit("Ru")->isEnabled());
        click(widget<QCheckBox>(tech_.get(), "CheckDigital"));
        QCOMPARE(app_->state().digital, Int16(0));
        QVERIFY(!edit("Ru")->isEnabled());
        QVERIFY(widget<QRadioButton>(expr_.get(), "optElectrode(7)")->isEnabled());
        QVERIFY(!widget<QRadioButton>(mech_.get(), "mech(2)")->isEnabled());
        QVERIFY(widget<QRadioButton>(mech_.get(), "mech(9)")->isEnabled());
    }

    void badStepKeepsTheWindowOpen() {
        retype("Estep", "5 mV");
        QTest::mouseClick(widget<QPushButton>(expr_.get(), "OK"), Qt::LeftButton);
        QCOMPARE(platform_->messages.shown.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(platform_->messages.shown.front()),
                 QString("E step (V): \"5 mV\" is not a number; it must be a number other than 0"));
        QVERIFY(app_->form<FormExpr>().visible());
        retype("Estep", "0.01");
        QTest::mouseClick(widget<QPushButton>(expr_.get(), "OK"), Qt::LeftButton);
        QVERIFY(!app_->form<FormExpr>().visible());
        QCOMPARE(app_->state().eStep, 0.01);
    }
};

QTEST_MAIN(FormExprViewTest)
#include "FormExprViewTest.moc"
