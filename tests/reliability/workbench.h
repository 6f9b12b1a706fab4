#pragma once

#include "httpsserver.h"
#include "mountsandbox.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class MainWindow;
class QTimer;

// A technician's bench for the reliability tests: the maker's server on loopback with
// a catalogue of four models and their images, and card slots that take tmpfs cards
// in the test's private mount namespace. The catalogue, in the window's order:
//
//   TZ2200  card camera, no image published (cards report the current 5.920)
//   TZ4100  card camera of brand ORVA, image at /fw/TZ4100.bin
//   TZ5500  card camera, image at /fw/TZ5500.bin
//   TZ7000  adb camera, image at /fw/TZ7000.bin
//
// Downloads go below downloadFolder(), so a test can see what a run leaves there.
class Workbench
{
public:
    Workbench();
    bool start(QString *why = nullptr);

    HttpsServer &server() { return httpsServer; }
    QString baseUrl() const { return httpsServer.origin() + "/fw"; }
    QString imageRoute(const QString &model) const { return "/fw/" + model + ".bin"; }
    QByteArray image(const QString &model) const { return images.value(model); }
    // The catalogue, its first (never read) member padded until the file has at least
    // paddedSize bytes.
    QByteArray catalogue(int paddedSize = 0) const;

    // A card in the slot: a tmpfs of sizeBytes with the camera folder of code, the
    // version file, and in the update folder oldImage as an earlier update left it
    // (no file when null). Returns the card's root, or an empty string.
    QString insertCard(const QString &slot, const QString &code, const QByteArray &versionFile,
                       const QByteArray &oldImage = QByteArray(), qint64 sizeBytes = 8 * 1024 * 1024);
    bool removeCard(const QString &slot);
    // Pulls every card still in, so that no camera stays for the next test.
    void removeAllCards();
    bool setCardReadOnly(const QString &slot, bool readOnly);
    QString slotPath(const QString &slot) const { return scratch.filePath("slots/" + slot); }

    QString downloadFolder() const { return scratch.filePath("tmp"); }
    // What the updater keeps there (its image cache): folders and files.
    QStringList updaterFilesInDownloadFolder() const;

private:
    QTemporaryDir scratch;
    MountSandbox mounts; // after the folder: unmounts before the folder goes
    HttpsServer httpsServer;
    QHash<QString, QByteArray> images;
    QStringList cardsIn;
};

// The rows of the window's device list, sorted.
QStringList listedRows(const MainWindow &w);
// The window's one-second poll timer, or null.
QTimer *pollTimerOf(const MainWindow &w);
// One poll pass now, as the timer would run it.
bool pollOnce(MainWindow &w);
