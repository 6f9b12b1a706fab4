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
        qputenv("VEK_FAKE_ADB_STATE", QFile::encodeName(state.path()));
        qputenv("PATH", VEK_FAKE_ADB_DIR ":" + savedPath);
    }
    ~FakeAdb() { qputenv("PATH", savedPath), qputenv("VEK_FAKE_ADB_STATE", savedState); }

    // What the device of that serial sees as /mnt/SDCARD; made with the device.
    QString cardPath(const QString &serial = "SERIAL1") const { return devicePath(serial) + "/card"; }
    void attach(bool attached, const QString &serial = "SERIAL1")
    {
        attached ? void(QDir().mkpath(cardPath(serial))) : void(QDir(devicePath(serial)).removeRecursively());
    }
    // A camera that appears with its card laid out (makeCard), as a real one does: made
    // where adb does not look, then moved in at once. usb: its port path, "" over TCP.
    bool plugIn(const QString &serial, const QString &modelCode, const QByteArray &versionFile, const QString &usb = {})
    {
        const QString unseen = state.filePath("devices/." + serial);
        return !makeCard(unseen + "/card", modelCode, versionFile, true).isEmpty()
               && (usb.isEmpty() || writeFile(unseen + "/usb", usb.toUtf8())) && QDir().rename(unseen, devicePath(serial));
    }
    // A hung adb: every invocation waits until released.
    void hold(bool held) { held ? set("hold", {}) : void(QFile::remove(state.filePath("hold"))); }
    void set(const QString &setting, const QByteArray &value) { writeFile(state.filePath(setting), value); }
    void unset(const QString &setting) { QFile::remove(state.filePath(setting)); }
    // Plays "adb not installed": nothing named adb anywhere on PATH.
    void uninstall() { qputenv("PATH", QFile::encodeName(state.filePath("no-programs-here"))); }

    QStringList log() const { return QString(fileBytes(state.filePath("log"))).split('\n', Qt::SkipEmptyParts); }
    // How many invocations began with these words, e.g. "-s SERIAL1 shell cat".
    int count(const QString &commandStart) const
    {
        return log().filter(QRegularExpression("^" + QRegularExpression::escape(commandStart))).size();
    }

private:
    QString devicePath(const QString &serial) const { return state.filePath("devices/" + serial); }
    QTemporaryDir state;
    QByteArray savedPath, savedState;
};
