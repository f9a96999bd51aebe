#include "shell/qt/Bindings.h"

#include "shell/CommandGuard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

namespace kemvo::qt {

QString toQt(const std::string &text) {
    return QString::fromStdString(text);
}
std::string fromQt(const QString &text) {
    return text.toStdString();
}

namespace {

// Runs `update` now and whenever the model changes, while the widget lives.
template <typename W, typename F> void mirror(W *widget, Control &control, F update) {
    QPointer<W> guard(widget);
    update(widget);
    control.changed.connect([guard, update] {
        if (guard) {
            QSignalBlocker block(guard);
            update(guard.data());
        }
    });
}

} // namespace

void bindState(QWidget *widget, Control &control) {
    mirror(widget, control, [&control](QWidget *w) {
        w->setVisible(control.visible());
        w->setEnabled(control.enabled());
        w->setToolTip(toQt(control.toolTip()));
    });
    QPointer<QWidget> guard(widget);
    control.focusRequested.connect([guard] {
        if (!guard)
            return;
        guard->window()->show();
        guard->window()->raise();
        guard->window()->activateWindow();
        guard->setFocus(Qt::OtherFocusReason);
        if (auto *edit = qobject_cast<QLineEdit *>(guard.data()))
            edit->selectAll();
    });
}

void bind(QLineEdit *edit, TextBox &box, Application &app) {
    bindState(edit, box);
    mirror(edit, box, [&box](QLineEdit *e) {
        if (e->text() != toQt(box.text())) {
            e->setText(toQt(box.text()));
            // A value set from elsewhere shows its leading digits, not the tail of a long one.
            if (!e->hasFocus())
                e->setCursorPosition(0);
        }
        e->setReadOnly(box.locked());
    });
    QObject::connect(edit, &QLineEdit::textEdited, edit, [&box, &app](const QString &text) {
        runUserAction(app, [&] { box.setText(fromQt(text)); });
    });
}

void bind(QLabel *label, Label &model) {
    bindState(label, model);
    mirror(label, model, [&model](QLabel *l) { l->setText(toQt(model.caption())); });
}

void bind(QCheckBox *check, CheckBox &box, Application &app) {
    bindState(check, box);
    mirror(check, box, [&box](QCheckBox *c) {
        c->setText(toQt(box.caption()));
        c->setChecked(box.checked());
    });
    QObject::connect(check, &QCheckBox::clicked, check, [&box, &app](bool checked) {
        runUserAction(app, [&] { box.setValue(checked ? 1 : 0); });
    });
}

void bind(QCheckBox *check, CheckBox &box, Application &app, int mostTextWidth) {
    bind(check, box, app);
    mirror(check, box, [&box, mostTextWidth](QCheckBox *c) {
        const QString full = toQt(box.caption());
        const QString shown =
            QFontMetrics(c->font()).elidedText(full, Qt::ElideRight, mostTextWidth);
        c->setText(shown);
        c->setToolTip(shown == full ? toQt(box.toolTip()) : full);
    });
}

void bind(QRadioButton *radio, OptionButton &option, Application &app) {
    bindState(radio, option);
    radio->setAutoExclusive(false); // the model's group decides which one is selected
    mirror(radio, option, [&option](QRadioButton *r) {
        r->setText(toQt(option.caption()));
        r->setChecked(option.value());
    });
    QObject::connect(radio, &QRadioButton::clicked, radio, [radio, &option, &app] {
        runUserAction(app, [&] { option.select(); });
        QSignalBlocker block(radio);
        radio->setChecked(option.value());
    });
}

void bind(QComboBox *combo, ComboBox &box, Application &app) {
    bindState(combo, box);
    combo->clear();
    for (const std::string &item : box.items())
        combo->addItem(toQt(item));
    combo->setEditable(true);
    mirror(combo, box, [&box](QComboBox *c) {
        c->setCurrentIndex(box.listIndex());
        c->setEditText(toQt(box.text()));
    });
    QObject::connect(combo, &QComboBox::currentTextChanged, combo,
                     [&box, &app](const QString &text) {
                         runUserAction(app, [&] { box.setText(fromQt(text)); });
                     });
}

void bind(QListWidget *list, ComboBox &box, Application &app) {
    bindState(list, box);
    mirror(list, box, [&box](QListWidget *l) {
        QStringList items;
        for (const std::string &item : box.items())
            items << toQt(item);
        bool same = l->count() == items.size();
        for (int row = 0; same && row < l->count(); ++row)
            same = l->item(row)->text() == items[row];
        if (!same) {
            l->clear();
            l->addItems(items);
        }
        l->setCurrentRow(box.listIndex());
    });
    QObject::connect(list, &QListWidget::currentRowChanged, list, [&box, &app](int row) {
        if (row >= 0)
            runUserAction(app, [&] { box.setListIndex(row); });
    });
}

void bind(QGroupBox *group, Frame &frame) {
    bindState(group, frame);
    group->setTitle(toQt(frame.caption()));
}

void bind(QPushButton *button, Button &model, Application &app) {
    bindState(button, model);
    button->setText(toQt(model.caption()));
    QObject::connect(button, &QPushButton::clicked, button,
                     [&model, &app] { runUserAction(app, [&] { model.click(); }); });
}

} // namespace kemvo::qt
