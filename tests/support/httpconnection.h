#pragma once

#include "httpresponseplan.h"

#include <QObject>
#include <functional>

class QFile;
class QSslSocket;
class QTimer;

// One client connection of the test server: reads one request, asks the
// resolver which plan answers it, and carries the plan out. The body is
// written as the socket drains, so bodies of any size cost only a few chunks
// of memory.
class HttpConnection : public QObject
{
    Q_OBJECT
public:
    using Resolver = std::function<HttpResponsePlan(const QByteArray &method, const QString &path)>;

    HttpConnection(QSslSocket *socket, Resolver resolver, QObject *parent);

private:
    void readRequest();
    void respond(const HttpResponsePlan &plan, bool headersOnly);
    void writeHeaders(qint64 contentLength);
    void fillSocket();
    void sendPacedChunk();
    bool writeBodyBytes(qint64 count);
    void finishBody();
    void encryptedBytesWritten();
    qint64 unflushedBytes() const;
    void close();

    QSslSocket *socket;
    Resolver resolver;
    QByteArray requestBytes;
    bool requestHandled = false;

    HttpResponsePlan plan;
    QFile *bodyFile = nullptr;
    QTimer *paceTimer = nullptr;
    qint64 bodySent = 0;
    qint64 bodyLimit = 0;
    bool bodyActive = false;
    bool dropPending = false;
};
