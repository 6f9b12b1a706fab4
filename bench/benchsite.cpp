#include "benchsite.h"

#include "cardlayout.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

namespace {
constexpr qint64 MiB = 1024 * 1024;
// Room for the image, its temporary copy while it is written, and an old image.
constexpr qint64 cardBytes = 1600 * MiB;
const QString installCode = QStringLiteral("TZ41");
const QByteArray outOfDateVersionFile = "5.910\n";
constexpr int modelCount = 24;
constexpr int storageCardCount = 16;

bool fail(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return false;
}

// Random bytes, hashed with Qt's own digest: independent of the code under test.
bool writeImage(const QString &path, qint64 size, quint32 seed, QString *checksum)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QRandomGenerator generator(seed);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QVector<quint32> chunk(int(MiB / sizeof(quint32)));
    for (qint64 written = 0; written < size; written += MiB) {
        generator.fillRange(chunk.data(), chunk.size());
        const char *bytes = reinterpret_cast<const char *>(chunk.constData());
        hash.addData(bytes, int(MiB));
        if (file.write(bytes, MiB) != MiB)
            return false;
    }
    *checksum = QString::fromLatin1(hash.result().toHex().toUpper());
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
    QFile list(QStringLiteral("/proc/filesystems"));
    if (!list.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : list.readAll().split('\n')) {
        if (line.trimmed() == type)
            return true;
    }
    return false;
}

// Models whose short code is the name without its final "00", e.g. TZ1100 -> TZ11.
QString modelName(int index)
{
    int number = 11 + index;
    number += (number - 11) / 9; // skip multiples of ten: TZ2000 would become TZ2K
    return QStringLiteral("TZ%1").arg(number * 100);
}

QString modelCode(int index)
{
    return modelName(index).chopped(2);
}
}

BenchSite::BenchSite(const QString &scratchFolder) : scratch(QDir(scratchFolder).absolutePath()) {}

BenchSite::~BenchSite()
{
    if (server.state() != QProcess::NotRunning) {
        server.terminate();
        if (!server.waitForFinished(5000))
            server.kill();
    }
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
    QFile markerFile(marker);
    if (!QDir().mkpath(scratchPath("www/fw")) || !QDir().mkpath(scratchPath("work")) || !markerFile.open(QIODevice::WriteOnly))
        return fail(error, "cannot create " + scratch);
    // adb stages its images in the working directory.
    QDir::setCurrent(scratchPath("work"));
    return makeImages(error) && writeCatalogue(error) && mountCards(error) && startServer(error);
}

bool BenchSite::makeImages(QString *error)
{
    image64 = {"TZ64M.bin", scratchPath("www/fw/TZ64M.bin"), 64 * MiB, {}};
    image512 = {"TZ512M.bin", scratchPath("www/fw/TZ512M.bin"), 512 * MiB, {}};
    image512ForAdb = {"TZ512M-adb.bin", scratchPath("www/fw/TZ512M-adb.bin"), 512 * MiB, {}};
    if (!writeImage(image64.path, image64.size, 64, &image64.checksum)
        || !writeImage(image512.path, image512.size, 512, &image512.checksum)
        || !QFile::copy(image512.path, image512ForAdb.path))
        return fail(error, "cannot write the firmware images below " + scratch);
    image512ForAdb.checksum = image512.checksum;
    return true;
}

// 24 models: the first 16 on mounted cards, the last one behind adb. The first card's
// model gets the 512 MiB image, the adb camera's model the same bytes under its own link.
bool BenchSite::writeCatalogue(QString *error)
{
    QJsonObject catalogue{{"!about", "benchmark catalogue"}};
    for (int i = 0; i < modelCount; ++i) {
        const bool adbModel = i == modelCount - 1;
        const Image &image = i == 0 ? image512 : adbModel ? image512ForAdb : image64;
        // The link is made absolute once the server's port is known.
        QJsonObject entry{{"Version", "5.920"}, {"Link", image.fileName}, {"Checksum", image.checksum}};
        if (adbModel)
            entry.insert("ADB_Device", true);
        catalogue.insert(modelName(i), entry);
    }
    catalogueModels = modelCount;
    cardsInCatalogue = storageCardCount;
    QFile file(scratchPath("www/fw/catalogue-template.json"));
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(catalogue).toJson()) < 0)
        return fail(error, "cannot write the catalogue");
    return true;
}

bool BenchSite::mountCards(QString *error)
{
    QString why;
    tmpfsCard = scratchPath("cards/install-tmpfs");
    if (!QDir().mkpath(tmpfsCard) || !mounts.mountTmpfs(tmpfsCard, cardBytes, false, &why))
        return fail(error, "cannot mount a tmpfs card: " + why);
    if (makeCard(tmpfsCard, installCode, outOfDateVersionFile, true).isEmpty())
        return fail(error, "cannot lay out " + tmpfsCard);
    if (!mountDiskCard(&whyNoDiskCard))
        diskCard.clear();

    for (int i = 0; i < storageCardCount; ++i) {
        const QString root = scratchPath(QStringLiteral("cards/poll-%1").arg(i + 1, 2, 10, QChar('0')));
        if (!QDir().mkpath(root) || !mounts.mountTmpfs(root, cardBytes, false, &why))
            return fail(error, "cannot mount a polled card: " + why);
        if (makeCard(root, modelCode(i), outOfDateVersionFile, true).isEmpty())
            return fail(error, "cannot lay out " + root);
        pollCards << root;
    }
    adb.attach(true);
    if (makeCard(adb.cardPath(), modelCode(modelCount - 1), outOfDateVersionFile, true).isEmpty())
        return fail(error, "cannot lay out the adb camera's card");
    return true;
}

bool BenchSite::mountDiskCard(QString *why)
{
    const QString imageFile = scratchPath("disk-card.img");
    diskCard = scratchPath("cards/install-disk");
    QFile sparse(imageFile);
    if (!QDir().mkpath(diskCard) || !sparse.open(QIODevice::WriteOnly) || !sparse.resize(cardBytes + 64 * MiB))
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

bool BenchSite::startServer(QString *error)
{
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const QString support = QStringLiteral(VEK_TEST_SUPPORT_DIR);
    server.start(QStringLiteral("python3"), {support + "/https-server.py", "--root", scratchPath("www"), "--cert",
                                             support + "/certs/test-server.crt", "--key", support + "/certs/test-server.key"});
    if (!server.waitForReadyRead(30000))
        return fail(error, "the HTTPS server did not start: " + server.errorString());
    port = quint16(server.readLine().trimmed().toUInt());
    if (port == 0)
        return fail(error, QStringLiteral("the HTTPS server gave no port"));

    // The catalogue's links point at this server, now that its port is known.
    QFile templateFile(scratchPath("www/fw/catalogue-template.json"));
    if (!templateFile.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("cannot read the catalogue template"));
    QJsonObject catalogue = QJsonDocument::fromJson(templateFile.readAll()).object();
    for (auto it = catalogue.begin(); it != catalogue.end(); ++it) {
        if (!it.value().isObject())
            continue;
        QJsonObject entry = it.value().toObject();
        entry.insert("Link", baseUrl() + "/" + entry.value("Link").toString());
        it.value() = entry;
    }
    QFile file(scratchPath("www/fw/vek-updater-config.txt"));
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(catalogue).toJson()) < 0)
        return fail(error, QStringLiteral("cannot write the catalogue"));
    return true;
}

QString BenchSite::baseUrl() const
{
    return QStringLiteral("https://127.0.0.1:%1/fw").arg(port);
}

QString BenchSite::certificate() const
{
    return QStringLiteral(VEK_TEST_CERTIFICATE);
}

ASSET_INFORMATION BenchSite::cameraOn(const QString &cardRoot, const Image &image) const
{
    ASSET_INFORMATION camera;
    camera.Model = QStringLiteral("TZ4100");
    camera.Model_Code = installCode;
    camera.Version = QStringLiteral("5.920");
    camera.Link = url(image);
    camera.Checksum = image.checksum;
    camera.Device_Version = QStringLiteral("5.910");
    camera.Update_Path = cardRoot + "/DCIM/" + installCode + "LOAD/" + installCode + "UPDT.BIN";
    camera.Attached = true;
    return camera;
}
