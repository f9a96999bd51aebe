#include "files/qt/FilesViews.h"

#include "shell/CommandGuard.h"
#include "shell/qt/Bindings.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace kemvo::qt {

QWidget *createFormImportView(Application &app, FormImport &form) {
    auto *view = new QWidget;
    auto *file = named(new QLabel, form.LabelFile);
    bind(file, form.LabelFile);
    auto *list = named(new QListWidget, form.ListCurve);
    bind(list, form.ListCurve, app);
    list->setMinimumWidth(420);
    auto *layout = new QVBoxLayout(view);
    layout->addWidget(file);
    layout->addWidget(list);
    for (CheckBox *box : {&form.CheckProgramme, &form.CheckReverseSign}) {
        auto *check = named(new QCheckBox, *box);
        bind(check, *box, app);
        layout->addWidget(check);
    }
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    for (Button *model : {&form.OK, &form.Cancel}) {
        auto *button = named(new QPushButton, *model);
        bind(button, *model, app);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    // A double click on an entry chooses it, as OK does.
    QObject::connect(list, &QListWidget::itemDoubleClicked, view,
                     [&app, &form] { runUserAction(app, [&form] { form.OK.click(); }); });
    return view;
}

void registerFilesViews(ViewRegistry &views) {
    views.add("FormImport", {Placement::ToolWindow, [](Application &app, Form &form) -> QWidget * {
                                 return createFormImportView(app, static_cast<FormImport &>(form));
                             }});
}

} // namespace kemvo::qt
