#pragma once

#include "cardlayout.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSslConfiguration>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/mount.h>

// A real HTTPS server on 127.0.0.1: https-server.py in a process of its own, so it keeps
// answering while the test's GUI thread blocks or sits in a nested event loop. Each call
// below rewrites the script's routes before it returns; route() takes a plan as the
// script's opening comment describes it. Routes match the exact path; the query is ignored.
class HttpsServer
{
public:
    ~HttpsServer() { process.kill(), process.waitForFinished(); } // stalled connections end too

    // Also makes this process trust the test certificate.
    bool start(QString *error = nullptr)
    {
        trustTestCertificate();
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start("python3", {dir + "/https-server.py", "--cert", dir + "/certs/test-server.crt", "--key",
                                  dir + "/certs/test-server.key", "--state", stateFolder.path()});
        while (process.waitForReadyRead(10000) && !process.canReadLine()) {
        }
        listeningPort = quint16(process.readLine().trimmed().toUInt());
        if (listeningPort == 0 && error)
            *error = "https-server.py did not start: " + process.errorString();
        return listeningPort != 0;
    }
    // False once the script has ended (or been ended by someone else).
    bool isRunning() { return process.state() == QProcess::Running && !process.waitForFinished(0); }
    QString origin() const { return QStringLiteral("https://127.0.0.1:%1").arg(listeningPort); }
    QString url(const QString &path) const { return origin() + path; }

    void route(const QString &path, QJsonObject plan, const QByteArray &body = QByteArray())
    {
        QFile file(stateFolder.filePath(QStringLiteral("body-%1").arg(++bodies)));
        if (!body.isNull() && (!file.open(QIODevice::WriteOnly) || file.write(body) != body.size()))
            qFatal("HttpsServer: cannot write a body file");
        if (!body.isNull())
            plan.insert("body", file.fileName());
        routes.insert(path, plan);
        // Replaced in one step: the script may be reading the routes at this moment.
        QSaveFile saved(stateFolder.filePath("routes.json"));
        if (!saved.open(QIODevice::WriteOnly) || saved.write(QJsonDocument(routes).toJson()) < 0 || !saved.commit())
            qFatal("HttpsServer: cannot write the routes");
    }
    void serve(const QString &path, const QByteArray &body, const QString &contentType = "application/octet-stream")
    { route(path, {{"type", contentType}}, body); }
    void serveFile(const QString &path, const QString &filePath) { route(path, {{"body", filePath}}); }
    // Announces the whole body, sends its first bytesSent bytes, then falls silent.
    void stallAfter(const QString &path, const QByteArray &body, qint64 bytesSent)
    { route(path, {{"send", bytesSent}, {"after", "stall"}}, body); }
    void redirect(const QString &path, const QString &to) { route(path, {{"status", 302}, {"location", to}}); }
    void serveSlowly(const QString &path, const QByteArray &body, int chunkBytes, int intervalMs)
    { route(path, {{"chunk", chunkBytes}, {"interval_ms", intervalMs}}, body); }

    // A catalogue at path, offering each model version 5.920 (or the one given) of the
    // image at its route; returns what is served.
    struct Offer
    {
        QString model, route;
        QByteArray image;
        bool adb = false;
        QString version = QStringLiteral("5.920");
    };
    QByteArray serveCatalogue(const QString &path, const QVector<Offer> &offers)
    {
        QJsonObject catalogue{{"!", 0}};
        for (const Offer &offer : offers)
            catalogue.insert(offer.model,
                             QJsonObject{{"Version", offer.version}, {"Link", url(offer.route)}, {"ADB_Device", offer.adb},
                                         {"Checksum", QString(QCryptographicHash::hash(offer.image, QCryptographicHash::Sha256).toHex().toUpper())}});
        const QByteArray body = QJsonDocument(catalogue).toJson();
        serve(path, body);
        return body;
    }
    // "GET /path" (and "GET /path from N" after it, for a range), in arrival order, and
    // "sent /path N" as each answer's body has gone out.
    QStringList requestLog() const { return QString(fileBytes(stateFolder.filePath("log"))).split('\n', Qt::SkipEmptyParts); }
    int requestCount(const QString &path) const { return requestLog().count("GET " + path); }
    int requestCount() const { return requestLog().filter(QRegularExpression("^GET ")).size(); }
    // Body bytes sent for the path, in all.
    qint64 bytesSent(const QString &path) const
    {
        qint64 sent = 0;
        for (const QString &line : requestLog().filter(QRegularExpression("^sent " + QRegularExpression::escape(path) + " ")))
            sent += line.section(' ', 2).toLongLong();
        return sent;
    }

    // Makes every program started in this process's mount namespace trust the test
    // certificate, as a workstation trusts the maker's: the system's certificate folder
    // is replaced by one in `folder` that holds it alone.
    static bool trustedByEveryProgram(const QString &folder)
    {
        return QDir().mkpath(folder) && QFile::copy(dir + "/certs/test-server.crt", folder + "/test.pem")
               && QFile::link("test.pem", folder + "/17615282.0") // openssl x509 -subject_hash
               && ::mount(QFile::encodeName(folder).constData(), "/etc/ssl/certs", nullptr, MS_BIND, nullptr) == 0;
    }
    // Makes this process trust the test certificate through the default SSL configuration.
    static void trustTestCertificate()
    {
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.addCaCertificates(dir + "/certs/test-server.crt");
        QSslConfiguration::setDefaultConfiguration(configuration);
    }

private:
    static inline const QString dir = QStringLiteral(VEK_TEST_SUPPORT_DIR);
    QTemporaryDir stateFolder;
    QProcess process;
    QJsonObject routes;
    quint16 listeningPort = 0;
    int bodies = 0;
};
