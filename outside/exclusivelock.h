#pragma once

#include <QString>

#include <memory>

// A lock that one holder at a time has, across the programs of this workstation (the
// window, the command line, a second command line): an advisory lock the operating
// system drops with the process that held it, so no crash leaves one behind. Held
// until the object goes.
class ExclusiveLock
{
public:
    ~ExclusiveLock();
    ExclusiveLock(const ExclusiveLock &) = delete;
    ExclusiveLock &operator=(const ExclusiveLock &) = delete;

    enum class Attempt { Taken, Held, Failed };
    // The lock of a file made where missing (a regular file, never a link), which goes
    // with the lock, or of a folder that is there already. Held: someone else has it
    // now. Never waits.
    static std::unique_ptr<ExclusiveLock> ofFile(const QString &path, Attempt *attempt);
    static std::unique_ptr<ExclusiveLock> ofFolder(const QString &path, Attempt *attempt);

private:
    explicit ExclusiveLock(qintptr handle) : handle(handle) {}
    qintptr handle;
    QString fileToRemove; // where the system does not remove it with the handle
};
