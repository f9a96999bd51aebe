#pragma once
// Binds Qt widgets to control models: a widget mirrors its model (text, caption, value,
// visible, enabled) and forwards the user's edits and clicks to the model's setters.
// Every forwarded action runs through runUserAction, so no exception reaches the event loop.

#include "shell/Application.h"
#include "shell/controls/Controls.h"

#include <QString>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QWidget;

namespace kemvo::qt {

// Visible, enabled and tool tip only (for a widget that shows a control's row or caption).
void bindState(QWidget *widget, Control &control);

void bind(QLineEdit *edit, TextBox &box, Application &app);
void bind(QLabel *label, Label &model);
void bind(QCheckBox *check, CheckBox &box, Application &app);
// A check box whose caption changes with computed values (a fitted value): a caption wider
// than mostTextWidth [px] is elided and shown whole in the tool tip, so the window keeps its
// width.
void bind(QCheckBox *check, CheckBox &box, Application &app, int mostTextWidth);
void bind(QRadioButton *radio, OptionButton &option, Application &app);
void bind(QComboBox *combo, ComboBox &box, Application &app);
void bind(QListWidget *list, ComboBox &box, Application &app);
void bind(QGroupBox *group, Frame &frame);
void bind(QPushButton *button, Button &model, Application &app);

// Shows a caption with its access key: "&File" keeps its ampersand for Qt.
QString toQt(const std::string &text);
std::string fromQt(const QString &text);

// The widget named as its control ("FormExpr.Estart"), so that tests and scripts find it.
template <typename W> W *named(W *widget, const Control &control) {
    widget->setObjectName(toQt(control.qualifiedName()));
    return widget;
}

} // namespace kemvo::qt
