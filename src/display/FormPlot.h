#pragma once
// The plot window: a child of the main window whose only content is its persistent picture.
// A view (or kemvo-cli) lends it a real canvas; until then it draws on a recording canvas,
// so that the drawing runs the same without a display.

#include "display/RecordingCanvas.h"
#include "shell/Canvas.h"
#include "shell/controls/Form.h"

namespace kemvo {

class FormPlot : public Form {
public:
    FormPlot() : Form("FormPlot", "Plot") {}

    Canvas &picture() { return lent_ != nullptr ? *lent_ : static_cast<Canvas &>(headless_); }
    // Draws from now on onto `canvas` (owned by the caller); nullptr returns to the headless one.
    void setPicture(Canvas *canvas) { lent_ = canvas; }
    // The canvas lent by a view, or nullptr while the plot draws on its own.
    Canvas *lentPicture() const { return lent_; }

    // True while DrawPlot runs, so that a resize it causes does not start a second drawing.
    bool drawing() const { return drawing_; }

    class DrawingScope {
    public:
        explicit DrawingScope(FormPlot &plot) : plot_(plot) { plot_.drawing_ = true; }
        ~DrawingScope() { plot_.drawing_ = false; }
        DrawingScope(const DrawingScope &) = delete;
        DrawingScope &operator=(const DrawingScope &) = delete;

    private:
        FormPlot &plot_;
    };

private:
    RecordingCanvas headless_;
    Canvas *lent_ = nullptr;
    bool drawing_ = false;
};

} // namespace kemvo
