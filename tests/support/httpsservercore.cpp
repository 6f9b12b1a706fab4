#include "httpsservercore.h"

#include "httpconnection.h"
#include "tlslistener.h"

#include <QDir>
#include <QFileInfo>
#include <QSslSocket>

HttpsServerCore::HttpsServerCore(const QSslCertificate &certificate, const QSslKey &key)
    : listener(new TlsListener(this)), certificate(certificate), key(key)
{
    connect(listener, &TlsListener::descriptorAccepted, this, &HttpsServerCore::acceptConnection);
}

void HttpsServerCore::setIdentity(const QSslCertificate &newCertificate, const QSslKey &newKey)
{
    certificate = newCertificate;
    key = newKey;
}

bool HttpsServerCore::listen(quint16 port, QString *error)
{
    if (listener->listen(QHostAddress::LocalHost, port))
        return true;
    if (error)
        *error = listener->errorString();
    return false;
}

quint16 HttpsServerCore::port() const
{
    return listener->serverPort();
}

void HttpsServerCore::setRoute(const QString &path, const HttpResponsePlan &plan)
{
    routes.insert(path, plan);
}

void HttpsServerCore::setDocumentRoot(const QString &directory)
{
    documentRoot = QDir(directory).canonicalPath();
}

int HttpsServerCore::requestCount(const QString &path) const
{
    return requestCounts.value(path);
}

QStringList HttpsServerCore::requestLog() const
{
    return log;
}

void HttpsServerCore::shutdown()
{
    listener->close();
    qDeleteAll(findChildren<HttpConnection *>(QString(), Qt::FindDirectChildrenOnly));
}

void HttpsServerCore::acceptConnection(qintptr descriptor)
{
    auto *socket = new QSslSocket;
    if (!socket->setSocketDescriptor(descriptor)) {
        qWarning("test server: cannot adopt socket: %s", qPrintable(socket->errorString()));
        delete socket;
        return;
    }
    socket->setLocalCertificate(certificate);
    socket->setPrivateKey(key);
    socket->setPeerVerifyMode(QSslSocket::VerifyNone);
    socket->setProtocol(QSsl::TlsV1_2OrLater);
    new HttpConnection(socket, [this](const QByteArray &method, const QString &path) {
        return resolve(method, path);
    }, this);
    socket->startServerEncryption();
}

HttpResponsePlan HttpsServerCore::resolve(const QByteArray &method, const QString &path)
{
    log.append(QString::fromLatin1(method) + QLatin1Char(' ') + path);
    ++requestCounts[path];
    const auto route = routes.constFind(path);
    if (route != routes.constEnd())
        return *route;
    if (!documentRoot.isEmpty())
        return planFromDocumentRoot(path);
    return HttpResponsePlan::withStatus(404);
}

HttpResponsePlan HttpsServerCore::planFromDocumentRoot(const QString &path) const
{
    if (path.split(QLatin1Char('/')).contains(QStringLiteral("..")))
        return HttpResponsePlan::withStatus(403);
    const QFileInfo file(documentRoot + path);
    // A symbolic link must not lead the server out of the served tree.
    const QString canonical = file.canonicalFilePath();
    if (!file.isFile() || !canonical.startsWith(documentRoot + QLatin1Char('/')))
        return HttpResponsePlan::withStatus(404);
    return HttpResponsePlan::fromFile(canonical);
}
