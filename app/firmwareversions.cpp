#include "app/mainwindow.h"
#include "catalogue/catalogueparser.h"
#include "catalogue/modelcode.h"
#include "outside/networkrequest.h"

#include <QDebug>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace {
// Far beyond any real catalogue; a server sending more than this is not sending one.
constexpr qint64 maxCatalogueBytes = 16 * 1024 * 1024;
}

bool MainWindow::getFirmwareVersions()
{
    QEventLoop loop;
    QNetworkAccessManager manager;
    connect(&manager, SIGNAL(finished(QNetworkReply*)), &loop, SLOT(quit()));

    QNetworkReply *reply = manager.get(makeServerRequest(QUrl(configUrl), limits.download.idleTimeoutMs));
    // Checked on every arrival of data: Qt spaces progress signals 100 ms apart and sends
    // the last one when the reply has finished and can no longer be aborted, so a fast
    // server gets any amount past a check made there.
    connect(reply, &QNetworkReply::readyRead, reply, [reply] {
        if (reply->bytesAvailable() > maxCatalogueBytes)
            reply->abort();
    });
    loop.exec();

    if (reply->error() == QNetworkReply::NoError) {
        const CatalogueContents catalogue = parseCatalogue(reply->readAll());
        if (catalogue.hasMembers) {
            for (const CatalogueEntry &entry : catalogue.entries)
                addAsset(entry.key, entry.entry);
            delete reply;
            return true;
        }
    }
    qDebug() << "Failure" << reply->errorString();
    delete reply;
    return false;
}

void MainWindow::addAsset(QString key, QJsonObject entry)
{
    assets.append(new ASSET_INFORMATION(makeAsset(key, entry)));
}

QString MainWindow::getModelCode(QString name)
{
    return shortModelCode(name);
}
