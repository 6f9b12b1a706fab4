#pragma once

#include <QByteArray>
#include <QString>

// What the test server does with one request: which status and headers it
// sends, where the body comes from, how much of it goes out, and what happens
// to the connection afterwards. Routes are stored as plans so that every
// misbehaviour a test asks for is driven by the same connection code.
struct HttpResponsePlan
{
    enum class AfterBody {
        Close, // orderly end after the body
        Stall, // keep the connection open and say nothing more
        Drop,  // close without finishing the announced body
    };

    bool sendsHeaders = true;
    int status = 200;
    QByteArray contentType = "application/octet-stream";
    QString location;

    QByteArray body;
    QString bodyFile; // streamed from disk when set, instead of body

    qint64 bodyBytesToSend = -1; // -1: the whole body
    AfterBody afterBody = AfterBody::Close;

    int chunkBytes = 256 * 1024;
    int chunkIntervalMs = 0; // > 0 paces the body one chunk per interval

    static HttpResponsePlan withBody(const QByteArray &body, const QByteArray &contentType);
    static HttpResponsePlan withStatus(int status);
    static HttpResponsePlan stalled();
    static HttpResponsePlan redirectTo(const QString &location, int status);
    static HttpResponsePlan fromFile(const QString &filePath);
};

QByteArray httpReasonPhrase(int status);
