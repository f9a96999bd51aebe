#include "setup/qt/SetupViews.h"
#include "setup/qt/SetupWidgets.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kemvo::qt {
namespace {

QHBoxLayout *okRow(QPushButton *ok) {
    auto *row = new QHBoxLayout;
    row->addStretch();
    ok->setDefault(true);
    ok->setMinimumWidth(90);
    row->addWidget(ok);
    return row;
}

template <typename T>
QGroupBox *optionColumn(const SetupWidgets &widgets, Frame &frame, const ControlArray<T> &options) {
    QGridLayout *grid = nullptr;
    QGroupBox *box = widgets.group(frame, grid);
    int row = 0;
    for (const auto &[index, option] : options.elements())
        grid->addWidget(widgets.radio(*option), row++, 0);
    return box;
}

} // namespace

QWidget *createFormTechView(Application &app, FormTech &form) {
    auto *view = new QWidget;
    SetupWidgets widgets(app, view);
    auto *layout = new QVBoxLayout(view);
    layout->addWidget(optionColumn(widgets, form.Frame1, form.optTech));
    layout->addWidget(widgets.check(form.CheckDigital));
    layout->addWidget(widgets.check(form.CheckFine));
    layout->addLayout(okRow(widgets.button(form.CmdOK)));
    return view;
}

QWidget *createFormMechView(Application &app, FormMech &form) {
    auto *view = new QWidget;
    SetupWidgets widgets(app, view);
    auto *layout = new QVBoxLayout(view);
    layout->addWidget(optionColumn(widgets, form.Frame1, form.mech));
    layout->addLayout(okRow(widgets.button(form.Command1)));
    return view;
}

void registerSetupViews(ViewRegistry &views) {
    views.add("FormTech", {Placement::ToolWindow, [](Application &app, Form &form) {
                               return createFormTechView(app, static_cast<FormTech &>(form));
                           }});
    views.add("FormMech", {Placement::ToolWindow, [](Application &app, Form &form) {
                               return createFormMechView(app, static_cast<FormMech &>(form));
                           }});
    views.add("FormExpr", {Placement::ToolWindow, [](Application &app, Form &form) {
                               return createFormExprView(app, static_cast<FormExpr &>(form));
                           }});
}

} // namespace kemvo::qt
