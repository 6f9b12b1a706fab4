#include "outside/exclusivelock.h"

#include <QDir>

#include <windows.h>

namespace {
std::unique_ptr<ExclusiveLock> lockHandle(HANDLE handle, ExclusiveLock::Attempt *attempt,
                                          std::unique_ptr<ExclusiveLock> (*wrap)(qintptr))
{
    if (handle == INVALID_HANDLE_VALUE) {
        *attempt = ::GetLastError() == ERROR_SHARING_VIOLATION ? ExclusiveLock::Attempt::Held
                                                               : ExclusiveLock::Attempt::Failed;
        return nullptr;
    }
    *attempt = ExclusiveLock::Attempt::Taken;
    return wrap(reinterpret_cast<qintptr>(handle));
}
}

ExclusiveLock::~ExclusiveLock()
{
    ::CloseHandle(reinterpret_cast<HANDLE>(handle));
}

// Windows keeps others out by sharing nothing: a second open of the file or folder
// fails with a sharing violation while the first is held. The file goes with the handle.
std::unique_ptr<ExclusiveLock> ExclusiveLock::ofFile(const QString &path, Attempt *attempt)
{
    const HANDLE handle = ::CreateFileW(QDir::toNativeSeparators(path).toStdWString().c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                        0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    return lockHandle(handle, attempt, [](qintptr held) { return std::unique_ptr<ExclusiveLock>(new ExclusiveLock(held)); });
}

std::unique_ptr<ExclusiveLock> ExclusiveLock::ofFolder(const QString &path, Attempt *attempt)
{
    // Reading and writing files inside the folder stays possible; a second lock of it does not.
    const HANDLE handle = ::CreateFileW(QDir::toNativeSeparators(path).toStdWString().c_str(), GENERIC_READ,
                                        FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    return lockHandle(handle, attempt, [](qintptr held) { return std::unique_ptr<ExclusiveLock>(new ExclusiveLock(held)); });
}
