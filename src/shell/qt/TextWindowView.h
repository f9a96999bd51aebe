#pragma once
// The result and about windows: printed lines in a fixed-width font, so that print zones
// line up in columns.

#include "shell/controls/TextWindow.h"

#include <QPlainTextEdit>

namespace kemvo::qt {

class TextWindowView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TextWindowView(TextWindow& window, QWidget* parent = nullptr);
};

} // namespace kemvo::qt
