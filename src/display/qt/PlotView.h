#pragma once
// The plot window's widget: it lends FormPlot an image canvas of its own size and screen
// resolution, shows that picture, and redraws the plot when it is resized.

#include "display/FormPlot.h"
#include "display/qt/QtCanvas.h"
#include "shell/Application.h"

#include <QWidget>

namespace kemvo::qt {

class PlotView : public QWidget {
    Q_OBJECT
public:
    PlotView(Application &app, FormPlot &plot, QWidget *parent = nullptr);
    ~PlotView() override;
    const ImageCanvas &canvas() const { return canvas_; }
    QSize sizeHint() const override { return {640, 420}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void fitCanvasAndRedraw();

    Application &app_;
    FormPlot &plot_;
    ImageCanvas canvas_;
};

} // namespace kemvo::qt
