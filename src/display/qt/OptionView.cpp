#include "display/qt/OptionView.h"

#include "shell/qt/Bindings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kemvo::qt {

OptionView::OptionView(Application &app, FormOption &options, QWidget *parent)
    : QWidget(parent), app_(app), options_(options) {
    auto *grid = named(new QCheckBox, options.CheckGrid);
    bind(grid, options.CheckGrid, app);

    auto *curves = new QGridLayout;
    for (int i = 0; i < 5; ++i)
        curves->addWidget(curveFrame(i), i / 3, i % 3);

    auto *overlap = named(new QCheckBox, options.overlap);
    bind(overlap, options.overlap, app);
    auto *ok = named(new QPushButton, options.OK);
    bind(ok, options.OK, app);
    ok->setDefault(true);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(overlap);
    bottom->addStretch();
    bottom->addWidget(ok);

    auto *side = new QVBoxLayout;
    side->addWidget(grid);
    side->addLayout(curves);
    side->addWidget(baselineFrame());
    side->addLayout(bottom);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(side);
    layout->addWidget(axisFrame());
}

QWidget *OptionView::curveFrame(int i) {
    auto *curve = named(new QGroupBox, options_.Frame1(i));
    bind(curve, options_.Frame1(i));
    auto *style = named(new QGroupBox, options_.Linestyle(i));
    bind(style, options_.Linestyle(i));
    auto *styles = new QVBoxLayout(style);
    for (OptionButton *option :
         {&options_.linestyle1(i), &options_.linestyle2(i), &options_.linestyle3(i)}) {
        auto *radio = named(new QRadioButton, *option);
        bind(radio, *option, app_);
        styles->addWidget(radio);
    }
    auto *inside = new QVBoxLayout(curve);
    inside->addWidget(style);
    return curve;
}

QWidget *OptionView::axisFrame() {
    auto *axis = named(new QGroupBox, options_.axis);
    bind(axis, options_.axis);
    auto *combo = named(new QComboBox, options_.ComboY);
    bind(combo, options_.ComboY, app_);
    auto *layout = new QVBoxLayout(axis);
    layout->addWidget(combo);
    for (CheckBox *box : {&options_.CheckXdir, &options_.Yauto, &options_.Xauto}) {
        auto *check = named(new QCheckBox, *box);
        bind(check, *box, app_);
        layout->addWidget(check);
    }
    auto *limits = new QGridLayout;
    const std::pair<Label *, TextBox *> rows[] = {{&options_.Label5, &options_.YmaxText},
                                                  {&options_.Label4, &options_.YminText},
                                                  {&options_.Label3, &options_.XmaxText},
                                                  {&options_.Label2, &options_.XminText}};
    int row = 0;
    for (const auto &[label, text] : rows) {
        auto *caption = named(new QLabel, *label);
        bind(caption, *label);
        auto *edit = named(new QLineEdit, *text);
        bind(edit, *text, app_);
        limits->addWidget(caption, row, 0);
        limits->addWidget(edit, row, 1);
        ++row;
    }
    layout->addLayout(limits);
    layout->addStretch();
    return axis;
}

QWidget *OptionView::baselineFrame() {
    auto *frame = named(new QGroupBox, options_.baseline);
    bind(frame, options_.baseline);
    auto *automatic = named(new QCheckBox, options_.BaselineAuto);
    bind(automatic, options_.BaselineAuto, app_);
    auto *layout = new QHBoxLayout(frame);
    layout->addWidget(automatic);
    for (const auto &[label, text] : {std::pair{&options_.LabelBaseFrom, &options_.BaseFromText},
                                      std::pair{&options_.LabelBaseTo, &options_.BaseToText}}) {
        auto *caption = named(new QLabel, *label);
        bind(caption, *label);
        auto *edit = named(new QLineEdit, *text);
        bind(edit, *text, app_);
        layout->addWidget(caption);
        layout->addWidget(edit);
    }
    layout->addStretch();
    return frame;
}

} // namespace kemvo::qt
