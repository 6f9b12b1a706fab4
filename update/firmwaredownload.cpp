#include "update/firmwaredownload.h"

#include "outside/networkrequest.h"
#include "update/chunkedread.h"
#include "update/sha256.h"

#include <QEventLoop>
#include <QFile>
#include <QIODevice>
#include <QNetworkAccessManager>
#include <QTimer>

#include <memory>

namespace {
// Without a limit Qt's network thread takes in the body as fast as the loopback or LAN
// delivers it and queues it for this thread: hundreds of MiB held in memory, and a
// drain of all of it at once that stalls the window. Bounded, the network thread
// waits for the hash and the disk, and memory stays flat.
constexpr qint64 replyBufferBytes = 4 * 1024 * 1024;

// Moves what has arrived from the reply into the target and the digest.
class BodySink
{
public:
    BodySink(QNetworkReply &reply, QIODevice &target) : reply(reply), target(target) {}

    // False when the target refused the bytes; the download cannot go on then.
    bool drain()
    {
        const ChunkedRead moved = readInChunks(reply, [this](const char *data, qint64 size) {
            hash.addData(data, size);
            return target.write(data, size) == size;
        });
        received += moved.bytes;
        return moved.end != ChunkedRead::End::Refused;
    }

    qint64 received = 0;
    Sha256 hash;

private:
    QNetworkReply &reply;
    QIODevice &target;
};

qint64 announcedSize(const QNetworkReply &reply)
{
    const QVariant length = reply.header(QNetworkRequest::ContentLengthHeader);
    return length.isValid() ? length.toLongLong() : -1;
}
}

DownloadResult downloadFirmware(const QUrl &url, QIODevice &target, const DownloadLimits &limits,
                                const DownloadProgress &progress)
{
    QEventLoop loop;
    QNetworkAccessManager manager;
    QObject::connect(&manager, &QNetworkAccessManager::finished, &loop, &QEventLoop::quit);

    std::unique_ptr<QNetworkReply> reply(manager.get(makeServerRequest(url, limits.idleTimeoutMs)));
    reply->setReadBufferSize(replyBufferBytes);
    BodySink sink(*reply, target);
    QString storageFailure, limitBroken;
    const auto breakOff = [&reply, &limitBroken](const QString &why) {
        limitBroken = why;
        reply->abort();
    };
    // Checked when the headers come, so that a body announced too large is never read.
    const auto overBound = [&] {
        if (announcedSize(*reply) <= limits.maxBytes && sink.received + reply->bytesAvailable() <= limits.maxBytes)
            return false;
        breakOff(QStringLiteral("The server sends more than the largest image, %1 bytes").arg(limits.maxBytes));
        return true;
    };
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, &loop, overBound);
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, [&] {
        if (!storageFailure.isEmpty() || !limitBroken.isEmpty() || overBound())
            return;
        if (!sink.drain()) {
            storageFailure = "Could not keep the downloaded image: " + target.errorString();
            reply->abort();
            return;
        }
        if (progress)
            progress(sink.received, announcedSize(*reply));
    });

    // The idle timeout never fires for a server that sends a byte now and then.
    QTimer rateCheck;
    qint64 receivedBeforeWindow = 0;
    QObject::connect(&rateCheck, &QTimer::timeout, &loop, [&] {
        if (!limitBroken.isEmpty())
            return;
        if (sink.received + reply->bytesAvailable() - receivedBeforeWindow < limits.minBytesPerWindow)
            breakOff(QStringLiteral("The server sent under %1 bytes in %2 ms")
                         .arg(limits.minBytesPerWindow)
                         .arg(limits.rateWindowMs));
        receivedBeforeWindow = sink.received + reply->bytesAvailable();
    });
    rateCheck.start(limits.rateWindowMs);

    if (!reply->isFinished())
        loop.exec();
    // The loop also ends when the application quits under it, or its thread is told to quit.
    if (!reply->isFinished())
        reply->abort();

    DownloadResult result;
    if (storageFailure.isEmpty() && limitBroken.isEmpty() && reply->error() == QNetworkReply::NoError
        && !overBound() && !sink.drain())
        storageFailure = "Could not keep the downloaded image: " + target.errorString();
    if (!storageFailure.isEmpty()) {
        result.error = QNetworkReply::OperationCanceledError;
        result.errorString = storageFailure;
        result.storageFailed = true;
        return result;
    }
    if (!limitBroken.isEmpty()) {
        result.error = QNetworkReply::OperationCanceledError;
        result.errorString = limitBroken;
        return result;
    }
    result.error = reply->error();
    result.errorString = reply->errorString();
    if (result.succeeded()) {
        result.digest = sink.hash.result();
        result.size = sink.received;
    }
    return result;
}

DownloadResult downloadFirmwareToFile(const QUrl &url, const QString &path, const DownloadLimits &limits,
                                      const DownloadProgress &progress)
{
    const QString cannotKeep = QStringLiteral("Could not keep the downloaded image: ");
    QFile file(path);
    DownloadResult result;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        result.error = QNetworkReply::UnknownNetworkError;
        result.errorString = cannotKeep + file.errorString();
        result.storageFailed = true;
        return result;
    }
    result = downloadFirmware(url, file, limits, progress);
    if (result.succeeded() && !file.flush()) {
        result.error = QNetworkReply::UnknownNetworkError;
        result.errorString = cannotKeep + file.errorString();
        result.storageFailed = true;
    }
    return result;
}
