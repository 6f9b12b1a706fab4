#include "mountsandbox.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>
#endif

namespace {
bool sandboxEntered = false;
QString sandboxProblem = QStringLiteral("MountSandbox::enter() was not called at the start of main");

bool fail(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return false;
}
} // namespace

#ifdef Q_OS_LINUX

namespace {
QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(strerror(errno)));
}

// Plain file writes: no Qt object may start threads before the namespace exists.
bool writeProcFile(const char *path, const QByteArray &content)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, content.constData(), content.size()) == content.size();
    ::close(fd);
    return written;
}

bool enterNamespace(QString *whyNot)
{
    if (geteuid() == 0) {
        if (unshare(CLONE_NEWNS) != 0)
            return fail(whyNot, systemError("unshare(CLONE_NEWNS)"));
    } else {
        const uid_t uid = geteuid();
        const gid_t gid = getegid();
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return fail(whyNot, systemError("unshare(CLONE_NEWUSER|CLONE_NEWNS)"));
        writeProcFile("/proc/self/setgroups", "deny"); // absent on old kernels
        if (!writeProcFile("/proc/self/uid_map", "0 " + QByteArray::number(uid) + " 1")
            || !writeProcFile("/proc/self/gid_map", "0 " + QByteArray::number(gid) + " 1"))
            return fail(whyNot, systemError("writing the user namespace's id maps"));
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return fail(whyNot, systemError("making / private"));
    return true;
}

// unshare can succeed where mounting is still forbidden (seccomp, LSMs), so try
// one real mount before calling the sandbox usable.
bool probeTmpfsMount(QString *whyNot)
{
    const char *tmp = getenv("TMPDIR");
    QByteArray pattern = QByteArray(tmp && *tmp ? tmp : "/tmp") + "/vek-mount-probe-XXXXXX";
    if (!mkdtemp(pattern.data()))
        return fail(whyNot, systemError("creating a probe directory"));
    const bool mounted = mount("vek-probe", pattern.constData(), "tmpfs", 0, "size=64k") == 0;
    const QString mountError = systemError("mounting tmpfs");
    if (mounted)
        umount2(pattern.constData(), MNT_DETACH);
    rmdir(pattern.constData());
    return mounted || fail(whyNot, mountError);
}
} // namespace

bool MountSandbox::enter(QString *whyNot)
{
    if (sandboxEntered)
        return true;
    QString problem;
    sandboxEntered = enterNamespace(&problem) && probeTmpfsMount(&problem);
    sandboxProblem = sandboxEntered ? QString() : problem;
    if (!sandboxEntered && whyNot)
        *whyNot = problem;
    return sandboxEntered;
}

MountSandbox::~MountSandbox()
{
    for (auto it = mounted.crbegin(); it != mounted.crend(); ++it)
        umount2(QFile::encodeName(*it).constData(), MNT_DETACH);
}

bool MountSandbox::mountTmpfs(const QString &directory, qint64 sizeBytes, bool readOnly,
                              QString *error)
{
    QString why;
    if (!available(&why))
        return fail(error, why);
    const QString target = QDir(directory).absolutePath();
    const QByteArray options = "size=" + QByteArray::number(sizeBytes) + ",mode=0755";
    const unsigned long flags = MS_NOSUID | MS_NODEV | (readOnly ? MS_RDONLY : 0);
    if (mount("vek-card", QFile::encodeName(target).constData(), "tmpfs", flags,
              options.constData()) != 0)
        return fail(error, systemError("mount tmpfs"));
    mounted.append(target);
    return true;
}

bool MountSandbox::remountReadOnly(const QString &directory, QString *error)
{
    QString why;
    if (!available(&why))
        return fail(error, why);
    const QByteArray target = QFile::encodeName(QDir(directory).absolutePath());
    if (mount(nullptr, target.constData(), nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV,
              nullptr) != 0)
        return fail(error, systemError("remount read-only"));
    return true;
}

bool MountSandbox::unmount(const QString &directory, bool lazy, QString *error)
{
    QString why;
    if (!available(&why))
        return fail(error, why);
    const QString target = QDir(directory).absolutePath();
    if (umount2(QFile::encodeName(target).constData(), lazy ? MNT_DETACH : 0) != 0)
        return fail(error, systemError("umount"));
    mounted.removeOne(target);
    return true;
}

#else

bool MountSandbox::enter(QString *whyNot)
{
    sandboxProblem = QStringLiteral("mount namespaces exist only on Linux");
    return fail(whyNot, sandboxProblem);
}

MountSandbox::~MountSandbox() = default;

bool MountSandbox::mountTmpfs(const QString &, qint64, bool, QString *error)
{
    return fail(error, sandboxProblem);
}

bool MountSandbox::remountReadOnly(const QString &, QString *error)
{
    return fail(error, sandboxProblem);
}

bool MountSandbox::unmount(const QString &, bool, QString *error)
{
    return fail(error, sandboxProblem);
}

#endif

bool MountSandbox::available(QString *whyNot)
{
    return sandboxEntered || fail(whyNot, sandboxProblem);
}
