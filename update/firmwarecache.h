#pragma once

#include <QHash>
#include <QPair>
#include <QString>

#include <memory>

class QLockFile;

// Holds the lock of a download file while one process writes it; null when another
// live process holds it.
std::unique_ptr<QLockFile> lockDownloadFile(const QString &path);

// Firmware images on this workstation, in the user's own cache folder:
//
//   runs/run-<id>/<CHECKSUM>   the images this run downloaded and verified, so that the
//                              next camera of a model needs no download; the folder
//                              goes at the end of the run
//   partial/<CHECKSUM>.part    a download that broke off, continued by the next try
//
// A run holds a lock beside its folder while it lives. A run ended by a signal, a
// logout or a crash cannot remove its folder: every run removes, at its start and in
// the background, the folders whose lock no live process holds (never those of an
// updater still running), and partial downloads untouched for a month.
//
// A kept file can still rot on disk, so whoever takes one hashes it again as it reads
// it. Without a cache folder of the user's own (one another user made, or a full
// disk), images pass through memory only.
class FirmwareCache
{
public:
    // folder: where the cache lives; empty for the user's cache location.
    explicit FirmwareCache(const QString &folder = QString());
    ~FirmwareCache();
    FirmwareCache(const FirmwareCache &) = delete;
    FirmwareCache &operator=(const FirmwareCache &) = delete;

    // The verified image kept for the link and checksum in this run, or empty.
    QString imageFor(const QString &link, const QString &checksum) const;
    // Where a download of the checksum goes, to be continued if it breaks off; empty
    // when the cache cannot keep one (no cache folder, or no valid checksum).
    QString partialPathFor(const QString &checksum) const;
    // Where this run keeps the verified image of the checksum; empty when it cannot.
    QString verifiedPathFor(const QString &checksum);

    // The image at path, verified for the link and checksum, serves this run's later updates.
    void keep(const QString &link, const QString &checksum, const QString &path);
    // Forgets (and deletes) an image that no longer hashes right.
    void forget(const QString &link, const QString &checksum);

private:
    using Key = QPair<QString, QString>;
    static Key keyFor(const QString &link, const QString &checksum);

    QString root;      // the user's cache folder, or empty
    QString runFolder; // made on first use
    std::unique_ptr<QLockFile> runLock;
    QHash<Key, QString> images;
};
