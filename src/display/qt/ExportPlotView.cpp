#include "display/qt/ExportPlotView.h"

#include "shell/qt/Bindings.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kemvo::qt {

QWidget *createExportPlotView(Application &app, FormExportPlot &form) {
    auto *view = new QWidget;
    auto *grid = new QGridLayout;
    int row = 0;
    auto radio = [&](OptionButton &option) {
        auto *button = named(new QRadioButton, option);
        bind(button, option, app);
        grid->addWidget(button, row++, 0, 1, 2);
    };
    auto field = [&](Label &caption, TextBox &box) {
        auto *label = named(new QLabel, caption);
        bind(label, caption);
        auto *edit = named(new QLineEdit, box);
        bind(edit, box, app);
        edit->setMaximumWidth(90);
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row++, 1);
    };
    radio(form.optPlotMm);
    field(form.LabelWidthMm, form.PlotWidthMm);
    field(form.LabelHeightMm, form.PlotHeightMm);
    field(form.LabelDpi, form.PlotDpi);
    radio(form.optPlotPx);
    field(form.LabelWidthPx, form.PlotWidthPx);
    field(form.LabelHeightPx, form.PlotHeightPx);

    auto *pixels = named(new QLabel, form.LabelPixels);
    bind(pixels, form.LabelPixels);
    pixels->setWordWrap(true);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    for (Button *model : {&form.OK, &form.Cancel}) {
        auto *button = named(new QPushButton, *model);
        bind(button, *model, app);
        buttons->addWidget(button);
    }
    auto *layout = new QVBoxLayout(view);
    layout->addLayout(grid);
    layout->addWidget(pixels);
    layout->addLayout(buttons);
    return view;
}

} // namespace kemvo::qt
