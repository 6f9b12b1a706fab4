#pragma once

#include "catalogue/firmwaresource.h"
#include "detection/attachedcamera.h"
#include "fake-adb/fakeadb.h"
#include "httpsserver.h"
#include "mountsandbox.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>
#include <vector>

// Everything the benchmarks run against, made fresh for the run below a scratch folder
// on disk: firmware images, a catalogue of 24 models served by the loopback HTTPS
// server (a process of its own: its work is not counted as the updater's), the
// scripted adb, and two cards for single installs (tmpfs, and a FAT file system in an
// image file on disk, loop-mounted) of a model the catalogue does not list, so that no
// polling window takes them for cameras. Each benchmark plugs in the cameras it needs
// (Cards) and pulls them again. The mounts live in this process's private mount
// namespace.
class BenchSite
{
public:
    struct Image
    {
        QString route; // on the server
        QString path;
        qint64 size = 0;
        QString checksum;
    };
    struct Model
    {
        QString name, code;
        const Image *image = nullptr;
        QString route; // the image's link: models may share bytes, never a link
        bool adb = false;
    };

    explicit BenchSite(const QString &scratchFolder);
    ~BenchSite();
    BenchSite(const BenchSite &) = delete;
    BenchSite &operator=(const BenchSite &) = delete;

    bool prepare(QString *error);
    // Starts the server anew, catalogue and images served as before, when it has gone
    // (another program on the machine ended it), and tells whether it had; false when
    // it cannot.
    bool keepServing(QString *error, bool *restarted = nullptr);

    FirmwareSource source() const; // the server's firmware folder, as a mirror
    QString sourceAddress() const { return server->url("/fw"); }
    QString url(const QString &route) const { return server->url(route); }
    QString scratchPath(const QString &name) const { return scratch + "/" + name; }
    QString certificate() const;
    int requestCount(const QString &route) const { return server->requestCount(route); }

    // A camera of the install cards' model on the card at root, taking the image.
    AttachedCamera installCamera(const QString &cardRoot, const Image &image) const;
    // A scripted adb device of the model, its card laid out; detach with adb.attach(false, serial).
    bool attachAdbCamera(const QString &serial, const Model &model);

    Image image64, image512;
    QVector<Image> fleetImages; // four of 64 MiB, one per fleet model
    QVector<Model> models;      // the catalogue, in its order
    const Model *fleetModels[4] = {};
    const Model *bigModel = nullptr, *bigAdbModel = nullptr, *adbModel = nullptr, *requestsModel = nullptr;
    QVector<const Model *> fillerModels;

    QString tmpfsCard;
    QString diskCard; // empty when no loop device could be mounted
    QString diskCardType; // "FAT", or "ext4" where the kernel has no FAT
    QString whyNoDiskCard;

    MountSandbox mounts;
    FakeAdb adb;

private:
    bool makeImages(QString *error);
    bool makeCatalogue();
    bool serveCatalogue(QString *error);
    bool mountDiskCard(QString *why);

    QString scratch;
    std::unique_ptr<HttpsServer> server;
};

// Cameras on cards, plugged in together and pulled when it goes: tmpfs cards, or FUSE
// cards whose writes take as long as bytesPerSecond allows (a real SD card's pace),
// each over a tmpfs of its own.
class Cards
{
public:
    Cards(BenchSite &site, const QString &name) : site(site), name(name) {}
    ~Cards();
    Cards(const Cards &) = delete;
    Cards &operator=(const Cards &) = delete;

    // Plugs in one card per code, at version 5.910; false, with why, when it cannot.
    bool plug(const QVector<const BenchSite::Model *> &cameraModels, qint64 bytesPerSecond, QString *why);
    const QStringList &roots() const { return mountedRoots; }
    // Removes the images the last update wrote, so that the next one writes them anew.
    void clearImages() const;

private:
    BenchSite &site;
    const QString name;
    QStringList mountedRoots, backings;
    std::vector<std::unique_ptr<QProcess>> fuseCards;
};
