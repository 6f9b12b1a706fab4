#include "cardlayout.h"

#include <QDir>
#include <QFile>

QString makeCard(const QString &root, const QString &modelCode, const QByteArray &versionFileBytes,
                 bool withUpdateFolder)
{
    const QString deviceFolder = root + QStringLiteral("/DCIM/100") + modelCode;
    const QString updateFolder = root + QStringLiteral("/DCIM/") + modelCode + QStringLiteral("LOAD");
    if (!QDir().mkpath(deviceFolder)) {
        qWarning("makeCard: cannot create %s", qPrintable(deviceFolder));
        return {};
    }
    if (!versionFileBytes.isNull()) {
        QFile versionFile(deviceFolder + QStringLiteral("/.version"));
        if (!versionFile.open(QIODevice::WriteOnly)
            || versionFile.write(versionFileBytes) != versionFileBytes.size()) {
            qWarning("makeCard: cannot write %s: %s", qPrintable(versionFile.fileName()),
                     qPrintable(versionFile.errorString()));
            return {};
        }
    }
    if (withUpdateFolder && !QDir().mkpath(updateFolder)) {
        qWarning("makeCard: cannot create %s", qPrintable(updateFolder));
        return {};
    }
    return updateFolder + QLatin1Char('/') + modelCode + QStringLiteral("UPDT.BIN");
}
