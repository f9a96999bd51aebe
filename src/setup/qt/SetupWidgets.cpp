#include "setup/qt/SetupWidgets.h"

#include "shell/CommandGuard.h"
#include "shell/qt/Bindings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include <algorithm>

namespace kemvo::qt {
namespace {

class ActivationFilter : public QObject {
public:
    ActivationFilter(Form &form, Application &app, QObject *parent)
        : QObject(parent), form_(form), app_(app) {}
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::WindowActivate)
            runUserAction(app_, [this] { form_.activate(); });
        return false;
    }

private:
    Form &form_;
    Application &app_;
};

} // namespace

QLineEdit *SetupWidgets::edit(TextBox &box, int width) const {
    auto *widget = named(new QLineEdit(owner_), box);
    widget->setFixedWidth(width);
    bind(widget, box, app_);
    return widget;
}

QLabel *SetupWidgets::caption(Label &label) const {
    auto *widget = named(new QLabel(owner_), label);
    bind(widget, label);
    return widget;
}

QLabel *SetupWidgets::readout(Label &label) const {
    QLabel *widget = caption(label);
    widget->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    widget->setMinimumWidth(76);
    widget->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return widget;
}

QCheckBox *SetupWidgets::check(CheckBox &box) const {
    auto *widget = named(new QCheckBox(owner_), box);
    bind(widget, box, app_);
    return widget;
}

QCheckBox *SetupWidgets::fitCheck(CheckBox &box) const {
    auto *widget = named(new QCheckBox(owner_), box);
    // Room for a fitted value as a fit writes it ("2.345e-3") from the start, so that the window
    // keeps its width when the values arrive; a longer caption is elided and shown whole in its
    // tip.
    const int text = QFontMetrics(widget->font()).horizontalAdvance("2.345e-3");
    const QStyle *style = widget->style();
    widget->setMinimumWidth(style->pixelMetric(QStyle::PM_IndicatorWidth) +
                            style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing) + text);
    bind(widget, box, app_, text);
    return widget;
}

QRadioButton *SetupWidgets::radio(OptionButton &option) const {
    auto *widget = named(new QRadioButton(owner_), option);
    bind(widget, option, app_);
    return widget;
}

QComboBox *SetupWidgets::combo(ComboBox &box) const {
    auto *widget = named(new QComboBox(owner_), box);
    bind(widget, box, app_);
    widget->setFixedWidth(52);
    return widget;
}

QListWidget *SetupWidgets::list(ComboBox &box) const {
    auto *widget = named(new QListWidget(owner_), box);
    bind(widget, box, app_);
    return widget;
}

QPushButton *SetupWidgets::button(Button &model) const {
    auto *widget = named(new QPushButton(owner_), model);
    bind(widget, model, app_);
    return widget;
}

QGroupBox *SetupWidgets::group(Frame &frame, QGridLayout *&grid) const {
    auto *widget = named(new QGroupBox(owner_), frame);
    bind(widget, frame);
    grid = new QGridLayout(widget);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    return widget;
}

QLabel *SetupWidgets::hint(const QString &text) const {
    auto *widget = new QLabel(text, owner_);
    widget->setEnabled(false);
    return widget;
}

void SetupWidgets::place(QGridLayout *grid, QWidget *widget, int row, int column) {
    grid->addWidget(widget, row, column);
    bool fixed = widget->maximumWidth() < QWIDGETSIZE_MAX;
    int width = fixed ? widget->maximumWidth() : widget->sizeHint().width();
    grid->setColumnMinimumWidth(column, std::max(grid->columnMinimumWidth(column), width));
}

void activateOnFocus(QWidget *view, Form &form, Application &app) {
    view->installEventFilter(new ActivationFilter(form, app, view));
}

} // namespace kemvo::qt
