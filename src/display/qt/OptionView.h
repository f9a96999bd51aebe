#pragma once
// The plot options window: its widgets mirror the controls of formOption (each widget's
// object name is its control's name, "linestyle2(0)" for an array element).

#include "display/FormOption.h"
#include "shell/Application.h"

#include <QWidget>

namespace kemvo::qt {

class OptionView : public QWidget {
    Q_OBJECT
public:
    OptionView(Application &app, FormOption &options, QWidget *parent = nullptr);

private:
    QWidget *curveFrame(int i);
    QWidget *axisFrame();
    QWidget *baselineFrame();

    Application &app_;
    FormOption &options_;
};

} // namespace kemvo::qt
