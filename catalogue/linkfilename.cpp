#include "catalogue/linkfilename.h"

#include <QUrl>

QString plainFileNameOfLink(const QString &link)
{
    const QString name = QUrl(link).fileName(QUrl::FullyDecoded);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return QString();
    for (const QChar c : name) {
        if (c == '/' || c == '\\' || c == ':' || c.unicode() < 0x20 || c.unicode() == 0x7f)
            return QString();
    }
    return name;
}
