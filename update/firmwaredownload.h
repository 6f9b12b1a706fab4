#pragma once

#include "outside/networkrequest.h"
#include "outside/stopflag.h"
#include "update/chunkedread.h"

#include <QByteArray>
#include <QNetworkReply>
#include <QString>
#include <QUrl>

#include <functional>

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

// How a download ended. A failure carries what the debug log is to say about it, in
// the terms of Qt's network errors, as the catalogue's failures are told.
struct DownloadResult
{
    bool succeeded() const { return error == QNetworkReply::NoError; }

    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QString errorString;
    bool storageFailed = false; // the sink refused the bytes; error is then no network's
    qint64 startsAt = 0;        // where in the image the body began
    bool rangeRefused = false;  // the server had nothing from the asked offset on (416)
};

struct DownloadRequest
{
    QUrl url;
    // Ask for the image from this byte on (a download that broke off); a server that
    // answers with the whole image is taken from its start.
    qint64 resumeFrom = 0;
    DownloadLimits limits;
};

// Bytes received so far, and the whole size when the server announced it (else -1).
using DownloadProgress = std::function<void(qint64 received, qint64 total)>;

struct DownloadHandlers
{
    // Told where in the image the body starts before its first piece: the asked offset,
    // or 0 when the server sends the whole image. False refuses the body.
    std::function<bool(qint64 startsAt)> begin;
    ChunkTaker sink;
    DownloadProgress progress; // bytes of the image so far, counting from its start
};

// GETs the image and hands the body to the sink piece by piece, so that the image is
// never held in memory whole. Redirects are followed to https addresses only; a server
// silent for limits.idleTimeoutMs, or one that breaks the limits, ends the download.
// The server's certificate must be one that Qt trusts for the catalogue.
//
// Blocks; meant for a background thread. Ends early on stop.
DownloadResult downloadFirmware(const DownloadRequest &request, const DownloadHandlers &handlers,
                                const StopFlag &stop);
