#pragma once

#include "outside/networkrequest.h"

#include <QByteArray>
#include <QNetworkReply>
#include <QString>
#include <QUrl>

#include <functional>

class QIODevice;

// What a link may send. The largest image a camera takes is far below maxBytes; a body
// above it, or a server sending under minBytesPerWindow in each window of
// rateWindowMs, is not bringing an image and would only fill the disk or hold the
// update for ever.
struct DownloadLimits
{
    qint64 maxBytes = qint64(2) * 1024 * 1024 * 1024;
    int rateWindowMs = 60 * 1000;
    qint64 minBytesPerWindow = 60 * 1024;
    int idleTimeoutMs = serverIdleTimeoutMs; // a server silent this long is given up
};

// How a download ended. A failure carries what the debug log is to say about it.
struct DownloadResult
{
    bool succeeded() const { return error == QNetworkReply::NoError; }

    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QString errorString;
    bool storageFailed = false; // the bytes came but could not be kept; error is then no network's
    QByteArray digest; // SHA-256 of the bytes received, when succeeded
    qint64 size = 0;
};

// Bytes received so far, and the whole size when the server announced it (else -1).
using DownloadProgress = std::function<void(qint64 received, qint64 total)>;

// GETs url and streams the body into target while hashing it, so that the image is
// never held in memory whole. Waits in a local event loop: the window keeps painting
// and the poll timer keeps ticking meanwhile. Redirects are followed unless they
// lower security; a server silent for limits.idleTimeoutMs, or one that breaks the
// limits, ends the download.
DownloadResult downloadFirmware(const QUrl &url, QIODevice &target, const DownloadLimits &limits,
                                const DownloadProgress &progress = {});

// The same into the file at path, emptied first, and flushed at the end; a file that
// cannot be written is a failed download. Meant for a worker thread: it stops early
// when the thread is told to quit, as the application's quit would stop it in the GUI
// thread.
DownloadResult downloadFirmwareToFile(const QUrl &url, const QString &path, const DownloadLimits &limits,
                                      const DownloadProgress &progress = {});
