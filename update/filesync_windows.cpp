#include "update/filesync.h"

#include "update/sha256.h"

#include <QDir>
#include <QFileDevice>

#include <io.h>
#include <windows.h>

namespace {
std::wstring nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

// Unbuffered reads need sector-aligned buffers and lengths; pages are aligned enough.
constexpr DWORD chunkBytes = 1024 * 1024;
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

void flushFolderToMedium(const QString &)
{
    // MOVEFILE_WRITE_THROUGH has already made the rename durable.
}

FileDigest digestFromMedium(const QString &path, const ByteProgress &progress)
{
    FileDigest result;
    const HANDLE handle = ::CreateFileW(nativePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        result.error = QStringLiteral("cannot open %1 (error %2)").arg(path).arg(::GetLastError());
        return result;
    }
    void *buffer = ::VirtualAlloc(nullptr, chunkBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    Sha256 hash;
    bool failed = buffer == nullptr;
    while (!failed) {
        DWORD got = 0;
        if (!::ReadFile(handle, buffer, chunkBytes, &got, nullptr)) {
            result.error = QStringLiteral("cannot read %1 (error %2)").arg(path).arg(::GetLastError());
            failed = true;
            break;
        }
        if (got == 0)
            break;
        hash.addData(static_cast<const char *>(buffer), got);
        result.size += got;
        if (progress)
            progress(result.size);
    }
    if (buffer)
        ::VirtualFree(buffer, 0, MEM_RELEASE);
    ::CloseHandle(handle);
    if (!failed) {
        result.readable = true;
        result.digest = hash.result();
    }
    return result;
}
