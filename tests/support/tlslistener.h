#pragma once

#include <QTcpServer>

// Hands each accepted socket descriptor on untouched, so that the owner can
// wrap it in a QSslSocket before any byte is read.
class TlsListener : public QTcpServer
{
    Q_OBJECT
public:
    using QTcpServer::QTcpServer;

signals:
    void descriptorAccepted(qintptr descriptor);

protected:
    void incomingConnection(qintptr descriptor) override;
};
