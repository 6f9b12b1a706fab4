#include "outside/durablefile.h"

#include <QDir>
#include <QFileDevice>

#include <io.h>
#include <windows.h>

namespace {
std::wstring nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}
}

void startWritingToMedium(QFileDevice &, qint64, qint64)
{
    // Windows has no call that starts a write-back without waiting for it.
}

bool waitUntilOnMedium(QFileDevice &, qint64, qint64)
{
    return false; // nor one that waits for a stretch: the flush does it all
}

bool flushFileToMedium(QFileDevice &file)
{
    if (!file.flush())
        return false;
    const HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(file.handle()));
    return handle != INVALID_HANDLE_VALUE && ::FlushFileBuffers(handle);
}

bool replaceFileAtomically(const QString &from, const QString &to)
{
    return ::MoveFileExW(nativePath(from).c_str(), nativePath(to).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

bool flushFolderToMedium(const QString &)
{
    // MOVEFILE_WRITE_THROUGH has already made the rename durable.
    return true;
}
