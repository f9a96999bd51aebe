#pragma once
// The result and about windows: printed lines in a fixed-width font, so that print zones
// line up in columns.

#include "shell/controls/TextWindow.h"

#include <QPlainTextEdit>

namespace kemvo::qt {

class TextWindowView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TextWindowView(TextWindow &window, QWidget *parent = nullptr);
    // Wide enough for a report line of five print zones.
    QSize sizeHint() const override;
};

} // namespace kemvo::qt
