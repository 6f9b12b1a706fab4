#pragma once

#include "cardlayout.h"

#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

// Puts the scripted adb of this folder (VEK_FAKE_ADB_DIR) first on PATH for the life of
// the object, with a fresh state folder; ./adb's opening comment says what its files mean.
class FakeAdb
{
public:
    FakeAdb() : savedPath(qgetenv("PATH")), savedState(qgetenv("VEK_FAKE_ADB_STATE"))
    {
        QDir().mkpath(cardPath());
        qputenv("VEK_FAKE_ADB_STATE", QFile::encodeName(state.path()));
        qputenv("PATH", VEK_FAKE_ADB_DIR ":" + savedPath);
    }
    ~FakeAdb() { qputenv("PATH", savedPath), qputenv("VEK_FAKE_ADB_STATE", savedState); }

    // What the device sees as /mnt/SDCARD.
    QString cardPath() const { return state.filePath("card"); }
    void attach(bool attached) { attached ? set("device", {}) : void(QFile::remove(state.filePath("device"))); }
    // A hung adb: every invocation waits until released.
    void hold(bool held) { held ? set("hold", {}) : void(QFile::remove(state.filePath("hold"))); }
    void set(const QString &setting, const QByteArray &value) { writeFile(state.filePath(setting), value); }
    // Plays "adb not installed": nothing named adb anywhere on PATH.
    void uninstall() { qputenv("PATH", QFile::encodeName(state.filePath("no-programs-here"))); }

    QStringList log() const { return QString(fileBytes(state.filePath("log"))).split('\n', Qt::SkipEmptyParts); }
    // How many invocations began with these words, e.g. "shell cat".
    int count(const QString &commandStart) const
    {
        return log().filter(QRegularExpression("^" + QRegularExpression::escape(commandStart))).size();
    }

private:
    QTemporaryDir state;
    QByteArray savedPath, savedState;
};
