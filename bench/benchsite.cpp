#include "benchsite.h"

#include "cardlayout.h"
#include "testkit.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

#include <cstdio>

namespace {
constexpr qint64 MiB = 1024 * 1024;
// Room for the image, its temporary copy while it is written, and an old image.
constexpr qint64 installCardBytes = 1600 * MiB;
const QString installModel = QStringLiteral("TZ4100"), installCode = QStringLiteral("TZ41");
const QByteArray outOfDateVersionFile = "5.910\n";
constexpr int modelCount = 24;

bool fail(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return false;
}

// Random bytes, hashed with Qt's own digest: independent of the code under test.
bool writeImage(BenchSite::Image &image, quint32 seed)
{
    QFile file(image.path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QRandomGenerator generator(seed);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QVector<quint32> chunk(int(MiB / sizeof(quint32)));
    for (qint64 written = 0; written < image.size; written += MiB) {
        generator.fillRange(chunk.data(), chunk.size());
        const char *bytes = reinterpret_cast<const char *>(chunk.constData());
        hash.addData(bytes, int(MiB));
        if (file.write(bytes, MiB) != MiB)
            return false;
    }
    image.checksum = QString::fromLatin1(hash.result().toHex().toUpper());
    return true;
}

bool run(const QString &program, const QStringList &arguments, QString *error)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return true;
    return fail(error, program + " " + arguments.join(' ') + ": " + process.errorString() + " "
                               + QString::fromLocal8Bit(process.readAll()).trimmed());
}

bool kernelHasFileSystem(const QByteArray &type)
{
    const QByteArray list = fileBytes(QStringLiteral("/proc/filesystems"));
    return list.split('\n').contains("\t" + type) || list.split('\n').contains("nodev\t" + type);
}

// Models whose short code is the name without its final "00", e.g. TZ1100 -> TZ11,
// skipping multiples of ten (TZ2000 would become TZ2K): TZ11 to TZ36, never TZ41.
QString modelName(int index)
{
    int number = 11 + index;
    number += (number - 11) / 9;
    return QStringLiteral("TZ%1").arg(number * 100);
}
}

BenchSite::BenchSite(const QString &scratchFolder) : scratch(QDir(scratchFolder).absolutePath()) {}

BenchSite::~BenchSite()
{
    if (!diskCard.isEmpty())
        QProcess::execute(QStringLiteral("umount"), {diskCard});
}

bool BenchSite::prepare(QString *error)
{
    // Emptied only when an earlier run made it: a mistyped --scratch must not cost a folder.
    const QString marker = scratchPath(".vek-bench-scratch");
    const bool earlierRun = QFile::exists(marker);
    if (QDir(scratch).exists() && !earlierRun && !QDir(scratch).isEmpty())
        return fail(error, scratch + " is not empty and was not made by vek-bench");
    if (earlierRun && !QDir(scratch).removeRecursively())
        return fail(error, "cannot clear " + scratch);
    if (!QDir().mkpath(scratchPath("images")) || !QDir().mkpath(scratchPath("work")) || !writeFile(marker, {}))
        return fail(error, "cannot create " + scratch);
    // adb stages its images in the working directory; the image cache is the user's.
    QDir::setCurrent(scratchPath("work"));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(scratchPath("cache")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(scratchPath("data"))); // the history the runs record

    QString why;
    tmpfsCard = scratchPath("cards/install-tmpfs");
    if (!QDir().mkpath(tmpfsCard) || !mounts.mountTmpfs(tmpfsCard, installCardBytes, false, &why)
        || makeCard(tmpfsCard, installCode, outOfDateVersionFile, true).isEmpty())
        return fail(error, "cannot mount a tmpfs card: " + why);
    if (!mountDiskCard(&whyNoDiskCard))
        diskCard.clear();
    return makeImages(error) && makeCatalogue() && serveCatalogue(error);
}

bool BenchSite::keepServing(QString *error, bool *restarted)
{
    if (restarted)
        *restarted = !server->isRunning();
    if (server->isRunning())
        return true;
    fprintf(stderr, "vek-bench: the HTTPS server has gone: starting it anew\n");
    return serveCatalogue(error);
}

bool BenchSite::makeImages(QString *error)
{
    const auto image = [this](const QString &name, qint64 size) {
        return Image{"/fw/" + name, scratchPath("images/" + name), size, {}};
    };
    image64 = image("TZ64M.bin", 64 * MiB);
    image512 = image("TZ512M.bin", 512 * MiB);
    bool written = writeImage(image64, 64) && writeImage(image512, 512);
    for (int i = 0; i < 4 && written; ++i) {
        fleetImages << image(QStringLiteral("fleet-%1.bin").arg(i + 1), 64 * MiB);
        written = writeImage(fleetImages.last(), quint32(100 + i));
    }
    return written || fail(error, "cannot write the firmware images below " + scratch);
}

// 24 models: four of the fleet with a 64 MiB image each, one with the 512 MiB image,
// one for the request count, two behind adb (64 MiB, and the 512 MiB image under a link
// of its own), and fillers, as a real catalogue has more models than cameras attached.
bool BenchSite::makeCatalogue()
{
    for (int i = 0; i < modelCount; ++i) {
        Model model{modelName(i), modelName(i).chopped(2), &image64, image64.route, false};
        if (i < 4)
            model.image = &fleetImages[i], model.route = fleetImages[i].route;
        else if (i == 4)
            model.image = &image512, model.route = image512.route;
        else if (i == 5)
            model.route = "/fw/requests.bin";
        else if (i == 6)
            model.route = "/fw/adb.bin", model.adb = true;
        else if (i == 7)
            model.image = &image512, model.route = "/fw/adb-512.bin", model.adb = true;
        models << model;
    }
    for (int i = 0; i < 4; ++i)
        fleetModels[i] = &models[i];
    bigModel = &models[4], requestsModel = &models[5], adbModel = &models[6], bigAdbModel = &models[7];
    for (int i = 8; i < modelCount; ++i)
        fillerModels << &models[i];
    return true;
}

bool BenchSite::serveCatalogue(QString *error)
{
    server = std::make_unique<HttpsServer>();
    if (!server->start(error))
        return false;
    QJsonObject catalogue{{"!about", "benchmark catalogue"}};
    for (const Model &model : qAsConst(models)) {
        server->serveFile(model.route, model.image->path);
        QJsonObject entry{{"Version", "5.920"}, {"Link", url(model.route)}, {"Checksum", model.image->checksum}};
        if (model.adb)
            entry.insert("ADB_Device", true);
        catalogue.insert(model.name, entry);
    }
    for (const Image *image : {&image64, &image512})
        server->serveFile(image->route, image->path);
    server->serve("/fw/" + catalogueFileName, QJsonDocument(catalogue).toJson(), "text/plain");
    return true;
}

bool BenchSite::mountDiskCard(QString *why)
{
    const QString imageFile = scratchPath("disk-card.img");
    diskCard = scratchPath("cards/install-disk");
    QFile sparse(imageFile);
    if (!QDir().mkpath(diskCard) || !sparse.open(QIODevice::WriteOnly) || !sparse.resize(installCardBytes + 64 * MiB))
        return fail(why, "cannot create " + imageFile);
    sparse.close();
    // A camera's card is FAT; a kernel without it gets ext4, and the table says which.
    diskCardType = kernelHasFileSystem("vfat") ? QStringLiteral("FAT") : QStringLiteral("ext4");
    const bool formatted = diskCardType == "FAT" ? run("mkfs.vfat", {"-F", "32", "-n", "VEKCARD", imageFile}, why)
                                                 : run("mkfs.ext4", {"-q", "-F", "-L", "VEKCARD", imageFile}, why);
    if (!formatted || !run("mount", {"-o", "loop", imageFile, diskCard}, why))
        return false;
    if (makeCard(diskCard, installCode, outOfDateVersionFile, true).isEmpty()) {
        QProcess::execute(QStringLiteral("umount"), {diskCard});
        return fail(why, "cannot lay out " + diskCard);
    }
    return true;
}

FirmwareSource BenchSite::source() const
{
    return *FirmwareSource::fromArgument(sourceAddress(), nullptr);
}

QString BenchSite::certificate() const
{
    return QStringLiteral(VEK_TEST_SUPPORT_DIR "/certs/test-server.crt");
}

AttachedCamera BenchSite::installCamera(const QString &cardRoot, const Image &image) const
{
    AttachedCamera camera = cardCamera(installModel, installCode, cardRoot);
    camera.entry.link = url(image.route);
    camera.entry.checksum = image.checksum;
    return camera;
}

bool BenchSite::attachAdbCamera(const QString &serial, const Model &model)
{
    adb.attach(true, serial);
    return !makeCard(adb.cardPath(serial), model.code, outOfDateVersionFile, true).isEmpty();
}

Cards::~Cards()
{
    for (const auto &card : fuseCards)
        card->terminate(), card->waitForFinished(5000);
    for (const QString &root : qAsConst(mountedRoots) + backings)
        site.mounts.unmount(root, true);
}

bool Cards::plug(const QVector<const BenchSite::Model *> &cameraModels, qint64 bytesPerSecond, QString *why)
{
    for (const BenchSite::Model *model : cameraModels) {
        const QString root = site.scratchPath(QStringLiteral("cards/%1-%2").arg(name).arg(mountedRoots.size() + 1));
        // Room for the image and its temporary copy.
        const qint64 bytes = 2 * model->image->size + 64 * MiB;
        if (bytesPerSecond <= 0) {
            if (!QDir().mkpath(root) || !site.mounts.mountTmpfs(root, bytes, false, why))
                return false;
            mountedRoots << root;
        } else {
            // The card's files one folder down: the tmpfs itself is no camera's card.
            const QString backing = root + "-backing";
            if (!QDir().mkpath(backing) || !site.mounts.mountTmpfs(backing, bytes, false, why)
                || !QDir().mkpath(backing + "/card"))
                return false;
            backings << backing;
            fuseCards.push_back(std::make_unique<QProcess>());
            if (!mountFuseCard(*fuseCards.back(), backing + "/card", root, {"rate=" + QString::number(bytesPerSecond)}))
                return fail(why, "cannot mount a FUSE card (is fuse3 installed?)");
            mountedRoots << root;
        }
        if (makeCard(mountedRoots.last(), model->code, outOfDateVersionFile, true).isEmpty())
            return fail(why, "cannot lay out " + root);
    }
    return true;
}

void Cards::clearImages() const
{
    for (const QString &root : mountedRoots) {
        for (const QFileInfo &folder : QDir(root + "/DCIM").entryInfoList({"*LOAD"}, QDir::Dirs)) {
            for (const QString &file : QDir(folder.filePath()).entryList(QDir::Files | QDir::Hidden))
                QFile::remove(folder.filePath() + "/" + file);
        }
    }
}
