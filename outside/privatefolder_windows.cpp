#include "outside/privatefolder.h"

#include <QDir>
#include <QFileInfo>

QString privateFolder(const QString &path)
{
    // The folders Qt names for a user's cache and data lie below %LOCALAPPDATA%, whose
    // access list already keeps other users out; a link there is refused all the same.
    if (path.isEmpty() || !QDir().mkpath(path) || QFileInfo(path).isSymLink())
        return QString();
    return path;
}
