#include "update/mediumread.h"

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

FileDigest digestFromMedium(const QString &path, const StopFlag &stop, const ByteProgress &progress)
{
    const HANDLE handle = ::CreateFileW(nativePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        FileDigest result;
        result.error = QStringLiteral("cannot open %1 (error %2)").arg(path).arg(::GetLastError());
        return result;
    }
    // Unbuffered reads need sector-aligned buffers and lengths; pages are aligned enough.
    void *buffer = ::VirtualAlloc(nullptr, chunkBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    FileDigest result;
    if (buffer) {
        const auto read = [handle](char *into, qint64 max) -> qint64 {
            DWORD got = 0;
            return ::ReadFile(handle, into, DWORD(max), &got, nullptr) ? qint64(got) : -1;
        };
        result = digestOfChunks(read, QStringLiteral("cannot read ") + path, stop, progress,
                                static_cast<char *>(buffer));
        ::VirtualFree(buffer, 0, MEM_RELEASE);
    } else {
        result.error = QStringLiteral("no memory to read %1").arg(path);
    }
    ::CloseHandle(handle);
    return result;
}
