#pragma once
// The help viewer: the user guide kemvodoc.htm, installed beside the program.

#include <QTextBrowser>

namespace kemvo::qt {

class HelpView : public QTextBrowser {
    Q_OBJECT
public:
    explicit HelpView(QWidget *parent = nullptr);
    QSize sizeHint() const override { return {760, 560}; }

    // Where the guide is looked for: beside the program, then in the installed documentation.
    static QString documentPath();
};

} // namespace kemvo::qt
