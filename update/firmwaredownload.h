#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QString>
#include <QUrl>

#include <functional>

class QIODevice;

// How a download ended. A failure carries what the debug log is to say about it.
struct DownloadResult
{
    bool succeeded() const { return error == QNetworkReply::NoError; }

    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QString errorString;
    QByteArray digest; // SHA-256 of the bytes received, when succeeded
    qint64 size = 0;
};

// Bytes received so far, and the whole size when the server announced it (else -1).
using DownloadProgress = std::function<void(qint64 received, qint64 total)>;

// GETs url and streams the body into target while hashing it, so that the image is
// never held in memory whole. Waits in a local event loop: the window keeps painting
// and the poll timer keeps ticking meanwhile. Redirects are followed unless they
// lower security; a server silent for networkIdleTimeoutMs() ends the download.
DownloadResult downloadFirmware(const QUrl &url, QIODevice &target, const DownloadProgress &progress = {});

// The same into the file at path, emptied first, and flushed at the end; a file that
// cannot be written is a failed download. Meant for a worker thread: it stops early
// when the thread is asked to (QThread::requestInterruption), as the application's
// quit would stop it in the GUI thread.
DownloadResult downloadFirmwareToFile(const QUrl &url, const QString &path, const DownloadProgress &progress = {});
