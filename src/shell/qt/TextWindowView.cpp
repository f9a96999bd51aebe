#include "shell/qt/TextWindowView.h"

#include <QFontDatabase>
#include <QPointer>

namespace kemvo::qt {

TextWindowView::TextWindowView(TextWindow &window, QWidget *parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setWindowTitle(QString::fromStdString(window.caption()));
    for (const std::string &line : window.lines())
        appendPlainText(QString::fromStdString(line));
    QPointer<TextWindowView> guard(this);
    window.printed.connect([guard](const std::string &line) {
        if (guard)
            guard->appendPlainText(QString::fromStdString(line));
    });
    window.cleared.connect([guard] {
        if (guard)
            guard->clear();
    });
}

QSize TextWindowView::sizeHint() const {
    QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(QString(72, 'x')), metrics.lineSpacing() * 18};
}

} // namespace kemvo::qt
