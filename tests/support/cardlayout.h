#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

// Lays out a camera's card below root: DCIM/100{code}/.version holding versionFileBytes
// (no file when they are null) and, when asked, the update folder DCIM/{code}LOAD/.
// Returns where the image belongs, root/DCIM/{code}LOAD/{code}UPDT.BIN, or "" on failure.
inline QString makeCard(const QString &root, const QString &modelCode, const QByteArray &versionFileBytes,
                        bool withUpdateFolder)
{
    const QString updateFolder = root + "/DCIM/" + modelCode + "LOAD";
    QFile versionFile(root + "/DCIM/100" + modelCode + "/.version");
    if (!QDir().mkpath(root + "/DCIM/100" + modelCode) || (withUpdateFolder && !QDir().mkpath(updateFolder))
        || (!versionFileBytes.isNull()
            && (!versionFile.open(QIODevice::WriteOnly) || versionFile.write(versionFileBytes) != versionFileBytes.size())))
        return {};
    return updateFolder + "/" + modelCode + "UPDT.BIN";
}

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
