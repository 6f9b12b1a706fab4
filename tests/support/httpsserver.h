#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A real HTTPS server on 127.0.0.1 for tests: https-server.py in a process of its
// own, so it keeps answering while the test's GUI thread blocks or sits in a nested
// event loop. Each call below rewrites the script's routes before it returns, so a
// request sent afterwards sees it. Routes match the exact path; the query is ignored.
class HttpsServer
{
public:
    HttpsServer();
    ~HttpsServer();
    HttpsServer(const HttpsServer &) = delete;
    HttpsServer &operator=(const HttpsServer &) = delete;

    bool start(QString *error = nullptr);
    // Ends the server and every open connection, stalled ones included.
    void stop();

    quint16 port() const { return listeningPort; }
    QString origin() const { return QStringLiteral("https://127.0.0.1:%1").arg(listeningPort); }
    QString url(const QString &path) const { return origin() + path; }

    void serve(const QString &path, const QByteArray &body,
               const QByteArray &contentType = "application/octet-stream");
    void serveFile(const QString &path, const QString &filePath);
    void failWithStatus(const QString &path, int status);
    // Reads the request and answers nothing until the server stops.
    void stall(const QString &path);
    // Announces the whole body, sends its first bytesSent bytes, then falls silent.
    void stallAfter(const QString &path, const QByteArray &body, qint64 bytesSent);
    // Announces the whole body, sends its first bytesSent bytes, then closes the connection.
    void dropAfter(const QString &path, const QByteArray &body, qint64 bytesSent);
    void redirect(const QString &path, const QString &location, int status = 302);
    void serveSlowly(const QString &path, const QByteArray &body, int chunkBytes, int intervalMs);
    // Any other answer the script knows (see its opening comment); "body" given as bytes.
    void route(const QString &path, QJsonObject plan, const QByteArray &body = QByteArray());

    int requestCount(const QString &path) const;
    QStringList requestLog() const; // "GET /path", in arrival order

    // Makes this process trust the test certificate through the default SSL
    // configuration that the code under test uses.
    static void trustTestCertificate();

private:
    QTemporaryDir state;
    QProcess process;
    QJsonObject routes;
    quint16 listeningPort = 0;
    int bodies = 0;
};
