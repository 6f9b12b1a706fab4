#include "httpsserver.h"

#include "httpresponseplan.h"
#include "httpsservercore.h"

#include <QFile>
#include <QSslConfiguration>
#include <QThread>

static void initSupportResources()
{
    // The resources live in a static library; without this the linker drops them.
    Q_INIT_RESOURCE(support);
}

namespace {
QByteArray readAll(const QString &fileName, QString *error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = fileName + QStringLiteral(": ") + file.errorString();
        return {};
    }
    return file.readAll();
}
} // namespace

HttpsServer::HttpsServer()
    : thread(new QThread), core(new HttpsServerCore(testCertificate(), testKey()))
{
    thread->setObjectName(QStringLiteral("HttpsServer"));
    core->moveToThread(thread);
    QObject::connect(thread, &QThread::finished, core, &QObject::deleteLater);
    thread->start();
}

HttpsServer::~HttpsServer()
{
    stop();
    delete thread;
}

template<typename Call>
void HttpsServer::callInServerThread(Call call) const
{
    if (stopped) {
        qWarning("HttpsServer: call after stop() ignored");
        return;
    }
    QMetaObject::invokeMethod(core, call, Qt::BlockingQueuedConnection);
}

bool HttpsServer::useIdentityFiles(const QString &certificateFile, const QString &keyFile,
                                   QString *error)
{
    const QByteArray certificatePem = readAll(certificateFile, error);
    if (certificatePem.isNull())
        return false;
    const QByteArray keyPem = readAll(keyFile, error);
    if (keyPem.isNull())
        return false;
    const QSslCertificate certificate(certificatePem, QSsl::Pem);
    QSslKey key(keyPem, QSsl::Rsa, QSsl::Pem, QSsl::PrivateKey);
    if (key.isNull())
        key = QSslKey(keyPem, QSsl::Ec, QSsl::Pem, QSsl::PrivateKey);
    if (certificate.isNull() || key.isNull()) {
        if (error)
            *error = QStringLiteral("cannot read the certificate or the key (PEM, RSA or EC)");
        return false;
    }
    callInServerThread([=] { core->setIdentity(certificate, key); });
    return true;
}

bool HttpsServer::start(QString *error)
{
    return startOnPort(0, error);
}

bool HttpsServer::startOnPort(quint16 port, QString *error)
{
    bool listening = false;
    QString why = QStringLiteral("server already stopped");
    callInServerThread([&] {
        listening = core->listen(port, &why);
        listeningPort = core->port();
    });
    if (!listening && error)
        *error = why;
    return listening;
}

void HttpsServer::stop()
{
    if (stopped)
        return;
    callInServerThread([this] {
        logAtStop = core->requestLog();
        for (const QString &entry : qAsConst(logAtStop)) {
            const QString path = entry.section(QLatin1Char(' '), 1);
            countsAtStop[path] = core->requestCount(path);
        }
        core->shutdown();
    });
    stopped = true;
    thread->quit();
    thread->wait();
}

quint16 HttpsServer::port() const
{
    return listeningPort;
}

QString HttpsServer::origin() const
{
    return QStringLiteral("https://127.0.0.1:%1").arg(listeningPort);
}

QString HttpsServer::url(const QString &path) const
{
    return origin() + path;
}

void HttpsServer::setRoute(const QString &path, const HttpResponsePlan &plan)
{
    callInServerThread([=] { core->setRoute(path, plan); });
}

void HttpsServer::serve(const QString &path, const QByteArray &body, const QByteArray &contentType)
{
    setRoute(path, HttpResponsePlan::withBody(body, contentType));
}

void HttpsServer::serveFile(const QString &path, const QString &filePath)
{
    setRoute(path, HttpResponsePlan::fromFile(filePath));
}

void HttpsServer::serveDirectory(const QString &directory)
{
    callInServerThread([=] { core->setDocumentRoot(directory); });
}

void HttpsServer::failWithStatus(const QString &path, int status)
{
    setRoute(path, HttpResponsePlan::withStatus(status));
}

void HttpsServer::stall(const QString &path)
{
    setRoute(path, HttpResponsePlan::stalled());
}

void HttpsServer::stallAfter(const QString &path, const QByteArray &body, qint64 bytesSent)
{
    HttpResponsePlan plan = HttpResponsePlan::withBody(body, "application/octet-stream");
    plan.bodyBytesToSend = bytesSent;
    plan.afterBody = HttpResponsePlan::AfterBody::Stall;
    setRoute(path, plan);
}

void HttpsServer::dropAfter(const QString &path, const QByteArray &body, qint64 bytesSent)
{
    HttpResponsePlan plan = HttpResponsePlan::withBody(body, "application/octet-stream");
    plan.bodyBytesToSend = bytesSent;
    plan.afterBody = HttpResponsePlan::AfterBody::Drop;
    setRoute(path, plan);
}

void HttpsServer::redirect(const QString &path, const QString &location, int status)
{
    setRoute(path, HttpResponsePlan::redirectTo(location, status));
}

void HttpsServer::serveSlowly(const QString &path, const QByteArray &body, int chunkBytes,
                              int intervalMs)
{
    HttpResponsePlan plan = HttpResponsePlan::withBody(body, "application/octet-stream");
    plan.chunkBytes = qMax(1, chunkBytes);
    plan.chunkIntervalMs = qMax(1, intervalMs);
    setRoute(path, plan);
}

int HttpsServer::requestCount(const QString &path) const
{
    if (stopped)
        return countsAtStop.value(path);
    int count = 0;
    callInServerThread([&] { count = core->requestCount(path); });
    return count;
}

QStringList HttpsServer::requestLog() const
{
    if (stopped)
        return logAtStop;
    QStringList log;
    callInServerThread([&] { log = core->requestLog(); });
    return log;
}

QSslCertificate HttpsServer::testCertificate()
{
    initSupportResources();
    QFile file(QStringLiteral(":/vektestsupport/certs/test-server.crt"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("HttpsServer: the compiled-in test certificate is missing");
    return QSslCertificate(file.readAll(), QSsl::Pem);
}

QSslKey HttpsServer::testKey()
{
    initSupportResources();
    QFile file(QStringLiteral(":/vektestsupport/certs/test-server.key"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("HttpsServer: the compiled-in test key is missing");
    return QSslKey(file.readAll(), QSsl::Rsa, QSsl::Pem, QSsl::PrivateKey);
}

void HttpsServer::trustTestCertificate()
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    if (configuration.caCertificates().contains(testCertificate()))
        return;
    configuration.addCaCertificate(testCertificate());
    QSslConfiguration::setDefaultConfiguration(configuration);
}
