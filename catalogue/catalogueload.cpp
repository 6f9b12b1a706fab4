#include "catalogue/catalogueload.h"

#include "catalogue/catalogueparser.h"
#include "outside/networkrequest.h"

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace {
// Far beyond any real catalogue; a source holding more than this is not holding one.
constexpr qint64 maxCatalogueBytes = 16 * 1024 * 1024;

LoadedCatalogue fromServer(const QUrl &address, int idleTimeoutMs)
{
    QEventLoop loop;
    QNetworkAccessManager manager;
    QObject::connect(&manager, &QNetworkAccessManager::finished, &loop, &QEventLoop::quit);
    QNetworkReply *reply = manager.get(makeServerRequest(address, idleTimeoutMs));
    // Checked on every arrival of data: Qt spaces progress signals 100 ms apart and sends
    // the last one when the reply has finished and can no longer be aborted, so a fast
    // server gets any amount past a check made there.
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply] {
        if (reply->bytesAvailable() > maxCatalogueBytes)
            reply->abort();
    });
    loop.exec();
    LoadedCatalogue catalogue;
    if (reply->error() == QNetworkReply::NoError)
        catalogue.body = reply->readAll();
    else
        catalogue.failure = reply->errorString();
    delete reply;
    return catalogue;
}

LoadedCatalogue fromFolder(const QString &path)
{
    LoadedCatalogue catalogue;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        catalogue.failure = path + ": " + file.errorString();
    else if ((catalogue.body = file.read(maxCatalogueBytes + 1)).size() > maxCatalogueBytes)
        catalogue.failure = path + " is larger than any catalogue";
    return catalogue;
}
}

LoadedCatalogue loadCatalogue(const FirmwareSource &source, int idleTimeoutMs)
{
    LoadedCatalogue catalogue = source.isFolder() ? fromFolder(source.catalogueLocation())
                                                  : fromServer(QUrl(source.catalogueLocation()), idleTimeoutMs);
    if (!catalogue.failure.isEmpty())
        return catalogue;
    if (const auto entries = catalogueEntries(catalogue.body)) {
        catalogue.entries = *entries;
        catalogue.loaded = true;
    } else {
        catalogue.failure = QStringLiteral("the catalogue holds no JSON object with members");
    }
    return catalogue;
}
