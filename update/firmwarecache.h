#pragma once

#include <QHash>
#include <QPair>
#include <QString>

#include <memory>

class QLockFile;

// The firmware images this run has downloaded and verified, one per link and
// checksum, so that the second camera of a model needs no download. Images live in
// a private folder that goes when the cache goes, at the end of the run.
//
// Every run keeps its images in a folder of its own below one known folder in the
// workstation's temporary folder, and holds a lock file beside it while it runs. A
// run ended by a signal, a logout or a crash cannot remove its folder; the next run
// that downloads removes every folder whose lock no live process holds, and never
// one of an updater still running.
//
// Only an image whose digest matched the catalogue is kept. A kept file can still
// rot on disk, so whoever takes one checks it again before use and drops it when it
// no longer matches.
class FirmwareCache
{
public:
    FirmwareCache();
    ~FirmwareCache();
    FirmwareCache(const FirmwareCache &) = delete;
    FirmwareCache &operator=(const FirmwareCache &) = delete;

    // The path of a new empty file in the cache's folder for a download to stream
    // into, or an empty string when none could be made. The file is the cache's: keep()
    // makes it an image, discard() removes it, and the cache's end removes the rest.
    QString newDownloadFile();

    // Keeps a fully written, verified download as the image for link and checksum,
    // replacing any image kept for them before.
    void keep(const QString &link, const QString &checksum, const QString &verifiedDownload);

    // Removes a download that is not to be kept.
    void discard(const QString &download);

    // Path of the image kept for link and checksum, or an empty string.
    QString imageFor(const QString &link, const QString &checksum) const;

    // Forgets and deletes the image kept for link and checksum.
    void drop(const QString &link, const QString &checksum);

private:
    using Key = QPair<QString, QString>;
    static Key keyFor(const QString &link, const QString &checksum);
    bool ensureFolder();

    QString folder; // empty until the first download
    std::unique_ptr<QLockFile> lock;
    QHash<Key, QString> images;
};
