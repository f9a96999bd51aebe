#pragma once
// Widgets of the set-up windows, each bound to its control model and named after it
// ("ks(1)"), so that a test finds the widget a user would use.

#include "shell/Application.h"

#include <QString>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QWidget;

namespace kemvo::qt {

class SetupWidgets {
public:
    // The widgets are created inside owner, the view, so that none shows up as a window of
    // its own before the view lays it out.
    SetupWidgets(Application &app, QWidget *owner) : app_(app), owner_(owner) {}

    QLineEdit *edit(TextBox &box, int width = 68) const;
    QLabel *caption(Label &label) const;
    // A derived value the user reads but cannot type: drawn sunken, like a display.
    QLabel *readout(Label &label) const;
    QCheckBox *check(CheckBox &box) const;
    // A fit entry's tick box, whose caption shows the fitted value: never wider than a value
    // in the fit's format needs.
    QCheckBox *fitCheck(CheckBox &box) const;
    QRadioButton *radio(OptionButton &option) const;
    QComboBox *combo(ComboBox &box) const;
    QListWidget *list(ComboBox &box) const;
    QPushButton *button(Button &model) const;
    // A frame with a grid inside.
    QGroupBox *group(Frame &frame, QGridLayout *&grid) const;
    // A hint above a column that no control captions, in a quieter tone.
    QLabel *hint(const QString &text) const;

    // Adds a widget to a grid; its column keeps the widget's width even while every widget of
    // the column is hidden, so that headings stay over their columns.
    static void place(QGridLayout *grid, QWidget *widget, int row, int column);

private:
    Application &app_;
    QWidget *owner_;
};

// Runs Form_Activate each time the window becomes the active one.
void activateOnFocus(QWidget *view, Form &form, Application &app);

} // namespace kemvo::qt
