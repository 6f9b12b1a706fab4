#pragma once

#include "outside/stopflag.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>

// How long a server may go without sending anything before it is given up.
constexpr int serverIdleTimeoutMs = 30000;

// What a server may send. The largest image a camera takes is far below maxBytes; a
// body above it, or a server sending under minBytesPerWindow in each window of
// rateWindowMs, is not bringing an image and would only fill the disk or hold the
// update for ever. A catalogue is held to the same idle limit and rate, and to a
// deadline of its own: the window waits for it before it shows.
struct DownloadLimits
{
    qint64 maxBytes = qint64(2) * 1024 * 1024 * 1024;
    int rateWindowMs = 60 * 1000;
    qint64 minBytesPerWindow = 60 * 1024;
    int idleTimeoutMs = serverIdleTimeoutMs; // a server silent this long is given up
    int deadlineMs = 0;                       // the whole request; 0: none
};

// How a request ended.
struct DownloadResult
{
    enum class End
    {
        Complete, // every byte of the body was taken
        Failed,   // the server, the network or the limits ended it: `why` says which
        Refused,  // the taker would not keep a piece
        Stopped,
    };
    End end = End::Failed;
    QString why;               // for the log: curl's words, or the limit that ended it
    qint64 startsAt = 0;       // where in the image the body began
    bool rangeRefused = false; // the server had nothing from the asked offset on (416)

    bool complete() const { return end == End::Complete; }
};

struct DownloadRequest
{
    QUrl url;
    // Ask for the body from this byte on (a download that broke off); a server that
    // answers with the whole body is taken from its start.
    qint64 resumeFrom = 0;
    DownloadLimits limits;
};

struct DownloadHandlers
{
    // Told where in the body the answer starts before its first piece: the asked
    // offset, or 0 when the server sends it whole. False refuses the body.
    std::function<bool(qint64 startsAt)> begin;
    // Takes the next piece; false refuses it, which ends the request.
    std::function<bool(const char *data, qint64 size)> take;
    // Bytes of the body so far, counting from its start, and its announced size (-1: unknown).
    std::function<void(qint64 received, qint64 total)> progress;
};

// GETs an https address and hands the body over piece by piece, so that a large image
// is never held in memory whole. Redirects are followed to https addresses only; the
// server's certificate must be one that Qt trusts (its default configuration's roots).
//
// Blocks; meant for a background thread. Ends early on stop.
DownloadResult httpsGet(const DownloadRequest &request, const DownloadHandlers &handlers, const StopFlag &stop);

// The address a catalogue link names, when it is an absolute https URL with a host.
// Anything else (http, file, a bare path, text without a scheme) gives an empty QUrl
// and, in refusal, why: a link comes from outside and must not reach the
// workstation's own files or an unencrypted server.
QUrl httpsUrlFromLink(const QString &link, QString *refusal);
