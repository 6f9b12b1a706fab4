#pragma once

#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QPair>
#include <QString>

#include <memory>

class QLockFile;

// A download of one image into the cache, owned by the thread that downloads: the lock
// that keeps other programs off the file, and the partial file itself. A download that
// broke off stays, for the next try to continue; one that hashed wrong is discarded;
// one that hashed right is committed and becomes the run's copy of the image.
class CacheDownload
{
public:
    ~CacheDownload();
    CacheDownload(const CacheDownload &) = delete;
    CacheDownload &operator=(const CacheDownload &) = delete;

    // Takes the lock and opens the file (again, after a discard); false when another
    // live program downloads the same image, or the cache cannot keep it (then the image
    // passes through memory).
    bool open();
    QString path() const { return partialPath; }
    // What an earlier try left, to continue from.
    qint64 resumableBytes();
    QFile &file() { return partial; }
    // Empties the file: the image starts over from its first byte.
    bool startOver();
    // The bytes are no image of ours.
    void discard();
    // The bytes hashed right: the file becomes the run's copy. Its path, or empty
    // when it could not be moved (the file is then discarded).
    QString commit();

private:
    friend class FirmwareCache;
    CacheDownload(QString partialPath, QString keptPath);
    const QString partialPath, keptPath;
    std::unique_ptr<QLockFile> lock;
    QFile partial;
};

// Firmware images on this workstation, in the user's own cache folder:
//
//   runs/run-<id>/<CHECKSUM>   the images this run downloaded and verified, so that the
//                              next camera of a model needs no download; the folder
//                              goes at the end of the run
//   partial/<CHECKSUM>.part    a download that broke off, continued by the next try
//   locks/                     the locks of adb devices being updated, so that two
//                              programs never push to one device at once
//
// A run holds a lock beside its folder while it lives; the lock goes stale only with
// its process, never with age (a long update is no sign of a dead run). A run ended by
// a signal, a logout or a crash cannot remove its folder: every run removes, at its
// start and in the background, the folders whose lock no live process holds, and
// partial downloads untouched for a month.
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

    // The cache's folder, or empty when it has none.
    QString folder() const { return root; }
    // Where this user's programs keep the locks of what they update (adb devices), or
    // empty when there is no cache folder.
    QString lockFolder() const { return locks; }

    // The verified image kept for the link and checksum in this run, or empty.
    QString imageFor(const QString &link, const QString &checksum) const;
    // A download of the checksum's image into the cache, to be opened in the thread that
    // downloads; null when the cache can keep none (no folder, or no valid checksum).
    std::unique_ptr<CacheDownload> download(const QString &checksum);
    // The image at path (committed, or read from the cache), verified for the link and
    // checksum, serves this run's later updates; an empty path forgets (and deletes) the
    // one kept, which no longer hashes right.
    void remember(const QString &link, const QString &checksum, const QString &path);

private:
    using Key = QPair<QString, QString>;
    static Key keyFor(const QString &link, const QString &checksum);
    QString runFolderPath();

    QString root;      // the user's cache folder, or empty
    QString locks;
    QString runFolder; // made on first use
    std::unique_ptr<QLockFile> runLock;
    QHash<Key, QString> images;
};

// What a run ended by a signal or a crash left in the cache: run folders whose lock no
// live process holds, and partial downloads last touched before partialCutoff.
void removeCacheLeftovers(const QString &cacheFolder, const QDateTime &partialCutoff);
