#include "display/qt/PlotView.h"

#include "shell/CommandGuard.h"

#include <QPainter>
#include <QPalette>
#include <QTimer>

namespace kemvo::qt {

PlotView::PlotView(Application &app, FormPlot &plot, QWidget *parent)
    : QWidget(parent), app_(app), plot_(plot),
      canvas_(QSize(640, 420), devicePixelRatioF(), palette().color(QPalette::Window),
              palette().color(QPalette::WindowText)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(160, 120);
    canvas_.onPaint = [this] { update(); };
    plot_.setPicture(&canvas_);
}

PlotView::~PlotView() {
    canvas_.onPaint = nullptr;
    plot_.setPicture(nullptr);
}

void PlotView::paintEvent(QPaintEvent *) {
    if (canvas_.devicePixelRatio() != devicePixelRatioF()) {
        // Moved to a screen of another resolution: draw again at the new one, after this paint.
        QTimer::singleShot(0, this, [this] { fitCanvasAndRedraw(); });
    }
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), canvas_.image());
}

void PlotView::resizeEvent(QResizeEvent *) {
    fitCanvasAndRedraw();
}

void PlotView::fitCanvasAndRedraw() {
    if (canvas_.logicalSize() == size() && canvas_.devicePixelRatio() == devicePixelRatioF())
        return;
    canvas_.resize(size(), devicePixelRatioF());
    // Showing the window from inside a drawing resizes it too; that drawing goes on by itself.
    if (!plot_.drawing())
        runUserAction(app_, [this] { app_.refreshPlot(); });
}

} // namespace kemvo::qt
