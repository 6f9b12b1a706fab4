#pragma once

#include "outside/stopflag.h"

#include <QByteArray>
#include <QString>

#include <memory>

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
    static constexpr qint64 defaultMemoryWindow = 8 * 1024 * 1024;

    explicit ImageFeed(qint64 memoryWindow = defaultMemoryWindow);
    ~ImageFeed();
    ImageFeed(const ImageFeed &) = delete;
    ImageFeed &operator=(const ImageFeed &) = delete;

    // --- The producer, from one thread.

    // The file that holds what is appended from now on; empty: none. Bytes already in it
    // (a resumed download, a file read as it is) count as kept there.
    void useBackingFile(const QString &path);
    // Renames the backing file (the finished download becomes the cache's image), so
    // that no reader looks for it under its old name in between. False when it cannot.
    bool moveBackingFile(const QString &path);
    // The announced size of the whole image, -1 when not known.
    void setTotal(qint64 bytes);
    // Appends the next piece; inBackingFile says whether the backing file holds it. Waits
    // while a reader that only memory can serve lags a whole window behind. False when
    // every reader has left, or on stop: there is no point in going on.
    bool append(const QByteArray &piece, bool inBackingFile, const StopFlag &stop);
    // The end: every byte is in, and the image is the catalogue's (verified) or not.
    void finish(bool verified);
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
        Failed,  // the producer failed, or the image is not the catalogue's
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
