#include "shell/qt/HelpView.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace kemvo::qt {

HelpView::HelpView(QWidget *parent) : QTextBrowser(parent) {
    setOpenExternalLinks(true);
    QString path = documentPath();
    if (path.isEmpty())
        setPlainText("The help document kemvodoc.htm was not found beside the program.");
    else
        setSource(QUrl::fromLocalFile(path));
}

QString HelpView::documentPath() {
    QDir programDir(QCoreApplication::applicationDirPath());
    for (const QString &candidate : {programDir.filePath("kemvodoc.htm"),
                                     programDir.filePath("../share/doc/kemvo/kemvodoc.htm")})
        if (QFileInfo::exists(candidate))
            return QFileInfo(candidate).canonicalFilePath();
    return {};
}

} // namespace kemvo::qt
