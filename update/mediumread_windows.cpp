#include "update/mediumreadsource.h"

#include <QDir>

#include <windows.h>

// Unbuffered reads (FILE_FLAG_NO_BUFFERING) come from the device, not the cache.
MediumReadBack::Medium::Medium(const QString &path)
{
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    handle = ::CreateFileW(native.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        failure = QStringLiteral("cannot open %1 (error %2)").arg(path).arg(::GetLastError());
        return;
    }
    // Unbuffered reads need sector-aligned buffers and lengths; pages are aligned enough.
    aligned = static_cast<char *>(::VirtualAlloc(nullptr, chunkBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!aligned)
        failure = QStringLiteral("no memory to read %1").arg(path);
}

MediumReadBack::Medium::~Medium()
{
    if (handle != INVALID_HANDLE_VALUE)
        ::CloseHandle(handle);
    if (aligned)
        ::VirtualFree(aligned, 0, MEM_RELEASE);
}

bool MediumReadBack::Medium::isOpen() const
{
    return handle != INVALID_HANDLE_VALUE && aligned;
}

qint64 MediumReadBack::Medium::read(char *into, qint64 offset, qint64 max)
{
    OVERLAPPED at = {};
    at.Offset = DWORD(offset & 0xffffffff);
    at.OffsetHigh = DWORD(offset >> 32);
    DWORD got = 0;
    if (::ReadFile(handle, into, DWORD(max), &got, &at))
        return qint64(got);
    if (::GetLastError() == ERROR_HANDLE_EOF)
        return 0;
    failure = QStringLiteral("error %1").arg(::GetLastError());
    return -1;
}
