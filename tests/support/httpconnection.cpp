#include "httpconnection.h"

#include <QFile>
#include <QSslSocket>
#include <QTimer>
#include <QUrl>

namespace {
const int maxRequestHeaderBytes = 64 * 1024;
// Enough queued data to keep loopback busy without holding a large body in memory.
const qint64 socketHighWaterBytes = 4 * 1024 * 1024;

QString requestPath(const QByteArray &target)
{
    QByteArray path = target;
    const int cut = path.indexOf('?');
    if (cut >= 0)
        path.truncate(cut);
    const int fragment = path.indexOf('#');
    if (fragment >= 0)
        path.truncate(fragment);
    return QUrl::fromPercentEncoding(path);
}
} // namespace

HttpConnection::HttpConnection(QSslSocket *socket, Resolver resolver, QObject *parent)
    : QObject(parent), socket(socket), resolver(std::move(resolver))
{
    socket->setParent(this);
    connect(socket, &QSslSocket::readyRead, this, &HttpConnection::readRequest);
    connect(socket, &QSslSocket::bytesWritten, this, &HttpConnection::fillSocket);
    connect(socket, &QSslSocket::encryptedBytesWritten, this, &HttpConnection::encryptedBytesWritten);
    connect(socket, &QSslSocket::disconnected, this, &QObject::deleteLater);
    connect(socket, &QAbstractSocket::errorOccurred, this, &HttpConnection::close);
}

void HttpConnection::readRequest()
{
    if (requestHandled) {
        socket->readAll(); // one request per connection; anything after it is ignored
        return;
    }
    requestBytes += socket->readAll();
    const int headerEnd = requestBytes.indexOf("\r\n\r\n");
    if (headerEnd < 0) {
        if (requestBytes.size() > maxRequestHeaderBytes) {
            requestHandled = true;
            respond(HttpResponsePlan::withStatus(431), false);
        }
        return;
    }
    requestHandled = true;

    const QList<QByteArray> requestLine = requestBytes.left(requestBytes.indexOf("\r\n")).split(' ');
    if (requestLine.size() != 3 || !requestLine.at(1).startsWith('/')) {
        respond(HttpResponsePlan::withStatus(400), false);
        return;
    }
    const QByteArray method = requestLine.at(0);
    respond(resolver(method, requestPath(requestLine.at(1))), method == "HEAD");
}

void HttpConnection::respond(const HttpResponsePlan &response, bool headersOnly)
{
    plan = response;
    if (!plan.sendsHeaders)
        return; // stalled: the client waits until the server stops

    qint64 contentLength = plan.body.size();
    if (!plan.bodyFile.isEmpty()) {
        bodyFile = new QFile(plan.bodyFile, this);
        if (!bodyFile->open(QIODevice::ReadOnly)) {
            qWarning("test server: cannot open %s: %s", qPrintable(plan.bodyFile),
                     qPrintable(bodyFile->errorString()));
            plan = HttpResponsePlan::withStatus(404);
            contentLength = plan.body.size();
            delete bodyFile;
            bodyFile = nullptr;
        } else {
            contentLength = bodyFile->size();
        }
    }

    writeHeaders(contentLength);
    bodyLimit = headersOnly ? 0
                            : (plan.bodyBytesToSend < 0 ? contentLength
                                                        : qMin(plan.bodyBytesToSend, contentLength));
    bodyActive = true;
    if (plan.chunkIntervalMs > 0 && bodyLimit > 0) {
        paceTimer = new QTimer(this);
        paceTimer->setInterval(plan.chunkIntervalMs);
        connect(paceTimer, &QTimer::timeout, this, &HttpConnection::sendPacedChunk);
        paceTimer->start();
        return;
    }
    fillSocket();
}

void HttpConnection::writeHeaders(qint64 contentLength)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(plan.status) + ' '
            + httpReasonPhrase(plan.status) + "\r\n";
    head += "Content-Type: " + plan.contentType + "\r\n";
    head += "Content-Length: " + QByteArray::number(contentLength) + "\r\n";
    if (!plan.location.isEmpty())
        head += "Location: " + plan.location.toUtf8() + "\r\n";
    head += "Connection: close\r\n\r\n";
    socket->write(head);
}

void HttpConnection::fillSocket()
{
    if (!bodyActive || paceTimer)
        return;
    while (bodySent < bodyLimit && unflushedBytes() < socketHighWaterBytes) {
        if (!writeBodyBytes(qMin<qint64>(plan.chunkBytes, bodyLimit - bodySent)))
            return;
    }
    if (bodySent >= bodyLimit)
        finishBody();
}

void HttpConnection::sendPacedChunk()
{
    if (!writeBodyBytes(qMin<qint64>(plan.chunkBytes, bodyLimit - bodySent)))
        return;
    if (bodySent >= bodyLimit) {
        paceTimer->stop();
        finishBody();
    }
}

bool HttpConnection::writeBodyBytes(qint64 count)
{
    qint64 written = 0;
    if (bodyFile) {
        const QByteArray chunk = bodyFile->read(count);
        if (chunk.size() != count) {
            qWarning("test server: short read from %s", qPrintable(plan.bodyFile));
            close();
            return false;
        }
        written = socket->write(chunk);
    } else {
        written = socket->write(plan.body.constData() + bodySent, count);
    }
    if (written != count) {
        close();
        return false;
    }
    bodySent += count;
    return true;
}

void HttpConnection::finishBody()
{
    bodyActive = false;
    switch (plan.afterBody) {
    case HttpResponsePlan::AfterBody::Close:
        socket->disconnectFromHost();
        break;
    case HttpResponsePlan::AfterBody::Stall:
        break;
    case HttpResponsePlan::AfterBody::Drop:
        dropPending = true; // bytes were just queued, so encryptedBytesWritten follows
        break;
    }
}

// The partial body must reach the client before the connection vanishes, or
// the client could not tell a dropped transfer from a refused one. Only this
// signal tells that the bytes left the process: QSslSocket reports
// bytesWritten while the encrypted bytes still wait inside OpenSSL.
void HttpConnection::encryptedBytesWritten()
{
    if (dropPending) {
        if (unflushedBytes() == 0)
            close();
        return;
    }
    fillSocket();
}

qint64 HttpConnection::unflushedBytes() const
{
    return socket->bytesToWrite() + socket->encryptedBytesToWrite();
}

void HttpConnection::close()
{
    bodyActive = false;
    dropPending = false;
    if (paceTimer)
        paceTimer->stop();
    socket->abort();
    deleteLater();
}
