#include "detection/cardfileread.h"

#include <QFile>
#include <QFileInfo>

QByteArray readRegularFileHead(const QString &path, qint64 maxBytes)
{
    // A card's FAT or exFAT file system holds no FIFOs or devices; links and folders
    // are all there is to pass over.
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isFile())
        return QByteArray();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.read(maxBytes);
}
