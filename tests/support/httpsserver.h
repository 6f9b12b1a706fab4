#pragma once

#include <QByteArray>
#include <QHash>
#include <QSslCertificate>
#include <QSslKey>
#include <QString>
#include <QStringList>

class QThread;
class HttpsServerCore;
struct HttpResponsePlan;

// A real HTTPS server on 127.0.0.1 for tests. It runs in a thread of its own,
// so it keeps answering while the test's GUI thread is blocked or sits in a
// nested event loop (a modal message box, a download's local loop).
//
// Configuration calls may come at any time from the thread that owns the
// object; each one takes effect before the call returns, so a request sent
// afterwards sees it. Routes match the exact path; the query is ignored.
class HttpsServer
{
public:
    HttpsServer();
    ~HttpsServer();
    HttpsServer(const HttpsServer &) = delete;
    HttpsServer &operator=(const HttpsServer &) = delete;

    // Replaces the compiled-in test certificate; call before start().
    bool useIdentityFiles(const QString &certificateFile, const QString &keyFile,
                          QString *error = nullptr);

    bool start(QString *error = nullptr);
    bool startOnPort(quint16 port, QString *error = nullptr);
    // Closes the listener and every open connection, stalled ones included.
    void stop();

    quint16 port() const;
    QString origin() const;                 // "https://127.0.0.1:<port>"
    QString url(const QString &path) const; // origin() + path

    void serve(const QString &path, const QByteArray &body,
               const QByteArray &contentType = "application/octet-stream");
    void serveFile(const QString &path, const QString &filePath);
    // Paths without a route map to files below the directory ("..": 403, missing: 404).
    void serveDirectory(const QString &directory);
    void failWithStatus(const QString &path, int status);
    // Reads the request and answers nothing until the server stops.
    void stall(const QString &path);
    // Announces the whole body, sends its first bytesSent bytes, then falls silent.
    void stallAfter(const QString &path, const QByteArray &body, qint64 bytesSent);
    // Announces the whole body, sends its first bytesSent bytes, then closes the connection.
    void dropAfter(const QString &path, const QByteArray &body, qint64 bytesSent);
    void redirect(const QString &path, const QString &location, int status = 302);
    void serveSlowly(const QString &path, const QByteArray &body, int chunkBytes, int intervalMs);

    int requestCount(const QString &path) const;
    QStringList requestLog() const; // "GET /path", in arrival order

    static QSslCertificate testCertificate();
    static QSslKey testKey();
    // Makes this process, and only it, trust the test certificate through the
    // default SSL configuration that the code under test uses.
    static void trustTestCertificate();

private:
    void setRoute(const QString &path, const HttpResponsePlan &plan);
    template<typename Call>
    void callInServerThread(Call call) const;

    QThread *thread;
    HttpsServerCore *core;
    quint16 listeningPort = 0;
    bool stopped = false;
    QStringList logAtStop;
    QHash<QString, int> countsAtStop;
};
