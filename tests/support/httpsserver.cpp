#include "httpsserver.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>
#include <QSslCertificate>
#include <QSslConfiguration>

namespace {
const QString supportDir = QStringLiteral(VEK_TEST_SUPPORT_DIR);
}

HttpsServer::HttpsServer() = default;

HttpsServer::~HttpsServer()
{
    stop();
}

bool HttpsServer::start(QString *error)
{
    process.setProgram(QStringLiteral("python3"));
    process.setArguments({supportDir + "/https-server.py", "--cert", supportDir + "/certs/test-server.crt", "--key",
                          supportDir + "/certs/test-server.key", "--state", state.path()});
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start();
    while (process.waitForReadyRead(10000) && !process.canReadLine()) {
    }
    listeningPort = quint16(process.readLine().trimmed().toUInt());
    if (listeningPort == 0 && error)
        *error = "https-server.py did not start: " + process.errorString();
    return listeningPort != 0;
}

void HttpsServer::stop()
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.kill();
    process.waitForFinished();
}

void HttpsServer::route(const QString &path, QJsonObject plan, const QByteArray &body)
{
    if (!body.isNull()) {
        QFile file(state.filePath(QStringLiteral("body-%1").arg(++bodies)));
        if (!file.open(QIODevice::WriteOnly) || file.write(body) != body.size())
            qFatal("HttpsServer: cannot write a body file");
        plan.insert("body", file.fileName());
    }
    routes.insert(path, plan);
    // Replaced in one step: the script may be reading the routes at this moment.
    QSaveFile file(state.filePath("routes.json"));
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(routes).toJson()) < 0 || !file.commit())
        qFatal("HttpsServer: cannot write the routes");
}

void HttpsServer::serve(const QString &path, const QByteArray &body, const QByteArray &contentType)
{
    route(path, {{"type", QString::fromLatin1(contentType)}}, body);
}

void HttpsServer::serveFile(const QString &path, const QString &filePath)
{
    route(path, {{"body", filePath}});
}

void HttpsServer::failWithStatus(const QString &path, int status)
{
    route(path, {{"status", status}});
}

void HttpsServer::stall(const QString &path)
{
    route(path, {{"silent", true}});
}

void HttpsServer::stallAfter(const QString &path, const QByteArray &body, qint64 bytesSent)
{
    route(path, {{"send", bytesSent}, {"after", "stall"}}, body);
}

void HttpsServer::dropAfter(const QString &path, const QByteArray &body, qint64 bytesSent)
{
    route(path, {{"send", bytesSent}}, body);
}

void HttpsServer::redirect(const QString &path, const QString &location, int status)
{
    route(path, {{"status", status}, {"location", location}});
}

void HttpsServer::serveSlowly(const QString &path, const QByteArray &body, int chunkBytes, int intervalMs)
{
    route(path, {{"chunk", qMax(1, chunkBytes)}, {"interval_ms", qMax(1, intervalMs)}}, body);
}

QStringList HttpsServer::requestLog() const
{
    QFile file(state.filePath("log"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

int HttpsServer::requestCount(const QString &path) const
{
    return requestLog().count("GET " + path);
}

void HttpsServer::trustTestCertificate()
{
    const auto certificates = QSslCertificate::fromPath(supportDir + "/certs/test-server.crt");
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.addCaCertificates(certificates);
    QSslConfiguration::setDefaultConfiguration(configuration);
}
