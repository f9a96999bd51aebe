#include "fitting/qt/FittingViews.h"

#include "display/qt/QtCanvas.h"
#include "fitting/GlobalFitReport.h"
#include "shell/qt/Bindings.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace kemvo::qt {
namespace {

// The picture of the window's last fit, replayed at the widget's size whenever it is painted.
class GlobalFitPlot : public QWidget {
public:
    explicit GlobalFitPlot(FormGlobalFit &form) : form_(form) {
        setObjectName("Plot");
        setMinimumSize(360, 280);
    }
    QSize sizeHint() const override { return {640, 420}; }

protected:
    void paintEvent(QPaintEvent *) override {
        ImageCanvas canvas(size(), devicePixelRatioF());
        canvas.clear();
        if (form_.lastResult())
            drawGlobalFit(canvas, *form_.lastResult());
        canvas.finish();
        QPainter painter(this);
        painter.drawImage(QPoint(0, 0), canvas.image());
    }

private:
    FormGlobalFit &form_;
};

} // namespace

QWidget *createFormGlobalFitView(Application &app, FormGlobalFit &form) {
    auto *view = new QWidget;
    auto *layout = new QHBoxLayout(view);
    auto *side = new QVBoxLayout;
    layout->addLayout(side);

    auto *count = named(new QLabel, form.LabelCurves);
    bind(count, form.LabelCurves);
    side->addWidget(count);
    auto *list = named(new QListWidget, form.ListCurves);
    bind(list, form.ListCurves, app);
    list->setMinimumWidth(420);
    side->addWidget(list);
    auto *buttons = new QHBoxLayout;
    for (Button *model : {&form.Add, &form.Remove}) {
        auto *button = named(new QPushButton, *model);
        bind(button, *model, app);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    side->addLayout(buttons);

    auto *perCurve = new QGroupBox(QObject::tr("Fitted per curve (the others are shared)"));
    auto *grid = new QGridLayout(perCurve);
    int cell = 0;
    for (const auto &[k, box] : form.CheckPerCurve.elements()) {
        auto *check = named(new QCheckBox, *box);
        bind(check, *box, app);
        grid->addWidget(check, cell / 3, cell % 3);
        ++cell;
    }
    side->addWidget(perCurve);

    auto *options = new QHBoxLayout;
    auto *equal = named(new QCheckBox, form.CheckEqualWeights);
    bind(equal, form.CheckEqualWeights, app);
    options->addWidget(equal);
    options->addWidget(new QLabel(QObject::tr("Threads:")));
    auto *threads = named(new QLineEdit, form.TextThreads);
    bind(threads, form.TextThreads, app);
    threads->setPlaceholderText(QObject::tr("every core"));
    threads->setMaximumWidth(90);
    options->addWidget(threads);
    options->addStretch();
    auto *fit = named(new QPushButton, form.AutoFit);
    bind(fit, form.AutoFit, app);
    options->addWidget(fit);
    side->addLayout(options);
    side->addStretch();

    auto *plot = new GlobalFitPlot(form);
    layout->addWidget(plot, 1);
    // The plot follows every fit, however it was started.
    QPointer<QWidget> shown(plot);
    form.changed.connect([shown] {
        if (shown)
            shown->update();
    });
    return view;
}

void registerFittingViews(ViewRegistry &views) {
    views.add("FormGlobalFit",
              {Placement::ToolWindow, [](Application &app, Form &form) -> QWidget * {
                   return createFormGlobalFitView(app, static_cast<FormGlobalFit &>(form));
               }});
}

} // namespace kemvo::qt
