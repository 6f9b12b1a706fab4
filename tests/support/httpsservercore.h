#pragma once

#include "httpresponseplan.h"

#include <QHash>
#include <QObject>
#include <QSslCertificate>
#include <QSslKey>
#include <QStringList>

class TlsListener;

// The part of the test server that lives in the server thread: the listener,
// the route table and the request log. Only the server thread touches it;
// HttpsServer reaches it through blocking queued calls.
class HttpsServerCore : public QObject
{
    Q_OBJECT
public:
    explicit HttpsServerCore(const QSslCertificate &certificate, const QSslKey &key);

    void setIdentity(const QSslCertificate &certificate, const QSslKey &key);
    bool listen(quint16 port, QString *error);
    quint16 port() const;
    void setRoute(const QString &path, const HttpResponsePlan &plan);
    void setDocumentRoot(const QString &directory);
    int requestCount(const QString &path) const;
    QStringList requestLog() const;
    void shutdown();

private:
    void acceptConnection(qintptr descriptor);
    HttpResponsePlan resolve(const QByteArray &method, const QString &path);
    HttpResponsePlan planFromDocumentRoot(const QString &path) const;

    TlsListener *listener;
    QSslCertificate certificate;
    QSslKey key;
    QHash<QString, HttpResponsePlan> routes;
    QString documentRoot;
    QHash<QString, int> requestCounts;
    QStringList log;
};
