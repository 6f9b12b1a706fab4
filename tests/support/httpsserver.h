#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// A real HTTPS server on 127.0.0.1: https-server.py in a process of its own, so it keeps
// answering while the test's GUI thread blocks or sits in a nested event loop. Each call
// below rewrites the script's routes before it returns (see the script for what a plan
// holds). Routes match the exact path; the query is ignored.
class HttpsServer
{
public:
    HttpsServer() = default;
    ~HttpsServer() { stop(); }
    HttpsServer(const HttpsServer &) = delete;
    HttpsServer &operator=(const HttpsServer &) = delete;

    bool start(QString *error = nullptr);
    // Ends the server and every open connection, stalled ones included.
    void stop() { process.kill(), process.waitForFinished(); }

    quint16 port() const { return listeningPort; }
    QString origin() const { return QStringLiteral("https://127.0.0.1:%1").arg(listeningPort); }
    QString url(const QString &path) const { return origin() + path; }

    void route(const QString &path, QJsonObject plan, const QByteArray &body = QByteArray());
    void serve(const QString &path, const QByteArray &body, const QByteArray &contentType = "application/octet-stream")
    { route(path, {{"type", QString::fromLatin1(contentType)}}, body); }
    void serveFile(const QString &path, const QString &filePath) { route(path, {{"body", filePath}}); }
    void failWithStatus(const QString &path, int status) { route(path, {{"status", status}}); }
    // Reads the request and answers nothing until the server stops.
    void stall(const QString &path) { route(path, {{"silent", true}}); }
    // Announces the whole body, sends its first bytesSent bytes, then falls silent.
    void stallAfter(const QString &path, const QByteArray &body, qint64 bytesSent)
    { route(path, {{"send", bytesSent}, {"after", "stall"}}, body); }
    // Announces the whole body, sends its first bytesSent bytes, then closes the connection.
    void dropAfter(const QString &path, const QByteArray &body, qint64 bytesSent)
    { route(path, {{"send", bytesSent}}, body); }
    void redirect(const QString &path, const QString &location, int status = 302)
    { route(path, {{"status", status}, {"location", location}}); }
    void serveSlowly(const QString &path, const QByteArray &body, int chunkBytes, int intervalMs)
    { route(path, {{"chunk", qMax(1, chunkBytes)}, {"interval_ms", qMax(1, intervalMs)}}, body); }

    QStringList requestLog() const; // "GET /path", in arrival order
    int requestCount(const QString &path) const { return requestLog().count("GET " + path); }

    // Makes this process trust the test certificate through the default SSL configuration.
    static void trustTestCertificate();

private:
    QTemporaryDir state;
    QProcess process;
    QJsonObject routes;
    quint16 listeningPort = 0;
    int bodies = 0;
};
