#pragma once

#include "catalogue/assetinformation.h"
#include "fake-adb/fakeadb.h"
#include "mountsandbox.h"

#include <QProcess>
#include <QString>
#include <QStringList>

// Everything the benchmarks run against, made fresh for the run below a scratch folder
// on disk: firmware images, a catalogue of 24 models, the loopback HTTPS server as a
// process of its own (its work is not counted as the updater's), cameras' cards
// (tmpfs, and a FAT file system in an image file on disk, loop-mounted) and a camera
// behind the scripted adb. The mounts live in this process's private mount namespace.
class BenchSite
{
public:
    struct Image
    {
        QString fileName;
        QString path;
        qint64 size = 0;
        QString checksum;
    };

    explicit BenchSite(const QString &scratchFolder);
    ~BenchSite();
    BenchSite(const BenchSite &) = delete;
    BenchSite &operator=(const BenchSite &) = delete;

    bool prepare(QString *error);

    QString baseUrl() const; // the firmware folder: catalogue and images
    QString url(const Image &image) const { return baseUrl() + "/" + image.fileName; }
    QString scratchPath(const QString &name) const { return scratch + "/" + name; }
    QString certificate() const;

    // A camera of a model that is not in the catalogue, for installs driven directly.
    ASSET_INFORMATION cameraOn(const QString &cardRoot, const Image &image) const;

    Image image64;
    Image image512;
    Image image512ForAdb; // the same bytes under another link: not in the cache
    QString tmpfsCard;
    QString diskCard; // empty when no loop device could be mounted
    QString diskCardType; // "FAT", or "ext4" where the kernel has no FAT
    QString whyNoDiskCard;
    QStringList pollCards;
    int catalogueModels = 0;
    int cardsInCatalogue = 0;

    MountSandbox mounts;
    FakeAdb adb;

private:
    bool makeImages(QString *error);
    bool writeCatalogue(QString *error);
    bool startServer(QString *error);
    bool mountCards(QString *error);
    bool mountDiskCard(QString *why);

    QString scratch;
    QProcess server;
    quint16 port = 0;
};
