#include "workbench.h"

#include "../update/updatefixture.h"
#include "app/mainwindow.h"

#include <QDirIterator>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QTimer>

#include <sys/mount.h>

Workbench::Workbench()
{
    images.insert("TZ4100", firmwareImage(2 * 1024 * 1024, 41));
    images.insert("TZ5500", firmwareImage(1024 * 1024, 55));
    images.insert("TZ7000", firmwareImage(512 * 1024, 70));
}

bool Workbench::start(QString *why)
{
    HttpsServer::trustTestCertificate();
    if (!QDir().mkpath(downloadFolder()) || !httpsServer.start(why))
        return false;
    qputenv("TMPDIR", QFile::encodeName(downloadFolder()));
    for (auto image = images.cbegin(); image != images.cend(); ++image)
        httpsServer.serve(imageRoute(image.key()), image.value());
    httpsServer.serve("/fw/vek-updater-config.txt", catalogue(), "text/plain");
    return true;
}

QByteArray Workbench::catalogue(int paddedSize) const
{
    auto entry = [this](const QString &model, const QString &version) {
        return QJsonObject{{"Version", version}, {"Link", httpsServer.url(imageRoute(model))},
                           {"Checksum", checksumOf(images.value(model))}};
    };
    QJsonObject tz4100 = entry("TZ4100", "5.920"), tz7000 = entry("TZ7000", "3.20");
    tz4100.insert("Brand", "ORVA");
    tz7000.insert("ADB_Device", true);
    QJsonObject catalogue{{"TZ2200", QJsonObject{{"Version", "5.920"}}},
                          {"TZ4100", tz4100},
                          {"TZ5500", entry("TZ5500", "2.000")},
                          {"TZ7000", tz7000}};
    // "!" sorts before every model name: the member that is never read.
    const int plainSize = QJsonDocument(catalogue).toJson(QJsonDocument::Compact).size();
    catalogue.insert("!meta", QString(qMax(0, paddedSize - plainSize), QLatin1Char('#')));
    return QJsonDocument(catalogue).toJson(QJsonDocument::Compact);
}

QString Workbench::insertCard(const QString &slot, const QString &code, const QByteArray &versionFile,
                              const QByteArray &oldImage, qint64 sizeBytes)
{
    const QString root = slotPath(slot);
    QString why;
    if (!QDir().mkpath(root) || !mounts.mountTmpfs(root, sizeBytes, false, &why)) {
        qWarning("cannot insert a card in %s: %s", qPrintable(root), qPrintable(why));
        return QString();
    }
    cardsIn << slot;
    const QString imagePath = makeCard(root, code, versionFile, true);
    if (imagePath.isEmpty())
        return QString();
    QFile image(imagePath);
    if (!oldImage.isNull() && !(image.open(QIODevice::WriteOnly) && image.write(oldImage) == oldImage.size()))
        return QString();
    return root;
}

bool Workbench::removeCard(const QString &slot)
{
    // Lazily, as a card pulled from its reader goes: at once, whoever still holds a file
    // of it. A plain unmount can find the card busy for a moment when an adb child,
    // forked while a version file was open, has not yet reached exec.
    QString why;
    if (!mounts.unmount(slotPath(slot), true, &why)) {
        qWarning("cannot remove the card in %s: %s", qPrintable(slotPath(slot)), qPrintable(why));
        return false;
    }
    cardsIn.removeAll(slot);
    return true;
}

void Workbench::removeAllCards()
{
    // Lazily: a card a test pulled itself is no longer mounted.
    for (const QString &slot : qAsConst(cardsIn))
        mounts.unmount(slotPath(slot), true);
    cardsIn.clear();
}

bool Workbench::setCardReadOnly(const QString &slot, bool readOnly)
{
    if (readOnly)
        return mounts.remountReadOnly(slotPath(slot));
    return ::mount(nullptr, QFile::encodeName(slotPath(slot)).constData(), nullptr,
                   MS_REMOUNT | MS_NOSUID | MS_NODEV, nullptr)
           == 0;
}

QStringList Workbench::updaterFilesInDownloadFolder() const
{
    // The updater's own folders only: other helpers keep their state here too.
    QStringList files;
    const QStringList folders = QDir(downloadFolder()).entryList({"vek-updater*"}, QDir::AllEntries | QDir::Hidden);
    for (const QString &folder : folders) {
        files << folder;
        QDirIterator it(QDir(downloadFolder()).filePath(folder), QDir::Files | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next();
    }
    return files;
}

QStringList listedRows(const MainWindow &w)
{
    const auto *view = w.findChild<QListWidget *>("lw_DeviceView");
    QStringList texts;
    for (int row = 0; row < view->count(); ++row)
        texts << view->item(row)->text();
    texts.sort();
    return texts;
}

QTimer *pollTimerOf(const MainWindow &w)
{
    for (QTimer *timer : w.findChildren<QTimer *>()) {
        if (timer->isActive() && !timer->isSingleShot() && timer->interval() == 1000)
            return timer;
    }
    return nullptr;
}

bool pollOnce(MainWindow &w)
{
    return QMetaObject::invokeMethod(&w, "getAttachedDeviceTZList", Qt::DirectConnection);
}
