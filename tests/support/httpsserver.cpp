#include "httpsserver.h"

#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>
#include <QSslConfiguration>

namespace {
const QString supportDir = QStringLiteral(VEK_TEST_SUPPORT_DIR);
}

bool HttpsServer::start(QString *error)
{
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start("python3", {supportDir + "/https-server.py", "--cert", supportDir + "/certs/test-server.crt", "--key",
                              supportDir + "/certs/test-server.key", "--state", state.path()});
    while (process.waitForReadyRead(10000) && !process.canReadLine()) {
    }
    listeningPort = quint16(process.readLine().trimmed().toUInt());
    if (listeningPort == 0 && error)
        *error = "https-server.py did not start: " + process.errorString();
    return listeningPort != 0;
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

QStringList HttpsServer::requestLog() const
{
    QFile file(state.filePath("log"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)
                                          : QStringList();
}

void HttpsServer::trustTestCertificate()
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.addCaCertificates(supportDir + "/certs/test-server.crt");
    QSslConfiguration::setDefaultConfiguration(configuration);
}
