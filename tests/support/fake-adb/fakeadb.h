#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>

// Puts the scripted adb of this folder first on PATH for the life of the object and
// gives it a fresh state directory; see the comment at the top of ./adb for what the
// files mean. The folder comes from the build: VEK_FAKE_ADB_DIR.
class FakeAdb
{
public:
    FakeAdb()
        : savedPath(qgetenv("PATH"))
        , savedState(qgetenv("VEK_FAKE_ADB_STATE"))
    {
        QDir().mkpath(cardPath());
        qputenv("VEK_FAKE_ADB_STATE", state.path().toLocal8Bit());
        qputenv("PATH", QByteArray(VEK_FAKE_ADB_DIR) + ":" + savedPath);
    }
    ~FakeAdb()
    {
        qputenv("PATH", savedPath);
        qputenv("VEK_FAKE_ADB_STATE", savedState);
    }
    FakeAdb(const FakeAdb &) = delete;
    FakeAdb &operator=(const FakeAdb &) = delete;

    // What the device sees as /mnt/SDCARD.
    QString cardPath() const { return state.filePath("card"); }

    void attach(bool attached) { setFlag("device", attached); }
    // A hung adb: every invocation waits until released.
    void hold(bool held) { setFlag("hold", held); }
    void set(const QString &setting, const QByteArray &value) { write(setting, value); }

    // Plays "adb not installed": nothing named adb anywhere on PATH.
    void uninstall() { qputenv("PATH", state.filePath("no-programs-here").toLocal8Bit()); }

    QStringList log() const
    {
        QFile file(state.filePath("log"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    // How many invocations began with these words, e.g. "shell cat".
    int count(const QString &commandStart) const
    {
        const QStringList lines = log();
        return int(std::count_if(lines.begin(), lines.end(),
                                 [&](const QString &line) { return line.startsWith(commandStart); }));
    }

private:
    void setFlag(const QString &name, bool on)
    {
        if (on)
            write(name, QByteArray());
        else
            QFile::remove(state.filePath(name));
    }
    void write(const QString &name, const QByteArray &bytes)
    {
        QFile file(state.filePath(name));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(bytes);
    }

    QTemporaryDir state;
    QByteArray savedPath;
    QByteArray savedState;
};
