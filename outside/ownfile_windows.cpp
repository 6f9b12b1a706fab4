#include "outside/ownfile.h"

#include <QFile>
#include <QFileInfo>

// The user's data folder lies below %LOCALAPPDATA%, whose access list already keeps
// other users out; a link there is refused all the same.

bool openOwnFile(QFile &file, QIODevice::OpenMode mode, QString *why)
{
    if (!isOwnFileOrAbsent(file.fileName(), why))
        return false;
    if (!file.open(mode)) {
        *why = file.fileName() + ": " + file.errorString();
        return false;
    }
    return true;
}

bool isOwnFileOrAbsent(const QString &path, QString *why)
{
    const QFileInfo info(path);
    if (info.isSymLink()) {
        *why = path + " is a link: refused";
        return false;
    }
    if (info.exists() && !info.isFile()) {
        *why = path + " is not a plain file: refused";
        return false;
    }
    return true;
}
