#pragma once

#include "outside/stopflag.h"
#include "update/updateoutcome.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

// How an image's arrival ended: every byte in and the catalogue's, or not, and why.
struct FeedEnd
{
    bool verified = false;
    UpdateEnd failure = UpdateEnd::SourceFailed; // when not verified
    QString detail;                              // for the log
    QByteArray digest;                           // of what came, when it all came
};

// One image as it arrives, for every camera that takes it. One producer appends the
// bytes (downloaded, or read from a file) and ends the feed; each reader, in a thread
// of its own, takes them at its own pace.
//
// The producer also keeps every byte in a backing file (the cache's copy). The last
// few MiB stay in memory; a reader further behind reads them back from the file, so a
// slow card never holds back the download or a faster card. Without a backing file
// (the workstation full, or no cache folder), memory holds what the slowest reader
// still needs, and the producer waits once that is more than the window: memory stays
// bounded whatever the image's size.
class ImageFeed
{
public:
    static constexpr qint64 defaultMemoryWindow = 4 * 1024 * 1024;

    explicit ImageFeed(qint64 memoryWindow = defaultMemoryWindow);
    ~ImageFeed();
    ImageFeed(const ImageFeed &) = delete;
    ImageFeed &operator=(const ImageFeed &) = delete;

    // --- The producer, from one thread.

    // The file that holds what is appended from now on; empty: none. Bytes already in it
    // (a resumed download, a file read as it is) count as kept there.
    void useBackingFile(const QString &path);
    // Runs `move` (which puts the backing file elsewhere and returns where, or an empty
    // string when it could not) while no reader opens the file, so that none looks for
    // it under its old name in between.
    void relocateBackingFile(const std::function<QString()> &move);
    // The announced size of the whole image, -1 when not known.
    void setTotal(qint64 bytes);
    // Appends the next piece; inBackingFile says whether the backing file holds it. Waits
    // while a reader that only memory can serve lags a whole window behind. False when
    // every reader has left, or on stop: there is no point in going on.
    bool append(const QByteArray &piece, bool inBackingFile, const StopFlag &stop);
    // The end: every byte is in and the image is the catalogue's, or not and why.
    void finish(const FeedEnd &end);
    // What was appended is void (a resumed download did not hash right): readers start
    // over from the first byte, which is appended anew.
    void restart();

    // --- The readers.

    class Reader;
    // A reader from the first byte, or null when that byte is gone from memory and was
    // never in a backing file.
    std::unique_ptr<Reader> join();

    bool hasReaders() const;

private:
    struct State;
    std::shared_ptr<State> state;
};

class ImageFeed::Reader
{
public:
    enum class Status
    {
        Data,    // `bytes` bytes were copied
        End,     // every byte was read, and the image is the catalogue's
        Failed,  // the producer failed, or the image is not the catalogue's: see end()
        Restart, // start over: what was read so far is void
        Stopped, // the reader's own stop
        Waiting, // nothing came for a while: a reader may look after its camera
    };
    struct Read
    {
        Status status;
        qint64 bytes = 0;
    };
    // Waits for the next bytes, the end, a failure, a restart or the stop, and returns
    // Waiting when none came within waitMs.
    Read read(char *into, qint64 max, const StopFlag &stop, int waitMs = 500);
    // How the arrival ended, once read() has said End or Failed.
    FeedEnd end() const;

    // How far the producer has come, for progress: bytes in, the whole size (-1 when
    // unknown), and how long nothing has come in.
    struct Arrival
    {
        qint64 received = 0;
        qint64 total = -1;
        qint64 silentMs = 0;
        bool ended = false;
    };
    Arrival arrival() const;

    // Leaves the feed at once, from any thread: a reader given up on (its card hangs)
    // holds back nobody. Its reads end as stopped.
    void leave();

    ~Reader();
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

private:
    friend class ImageFeed;
    struct Slot;
    Reader(std::shared_ptr<State> state, std::shared_ptr<Slot> slot);
    std::shared_ptr<State> state;
    std::shared_ptr<Slot> slot;
};
