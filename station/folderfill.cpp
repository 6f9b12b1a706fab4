#include "station/folderfill.h"

#include "catalogue/linkfilename.h"
#include "update/carddestination.h"
#include "update/checksum.h"
#include "update/filedigest.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

FolderFill::FolderFill(const FirmwareSource &source) : source(source), supply(cache, source, DownloadLimits()) {}

FolderFill::~FolderFill()
{
    stopping.raise();
}

void FolderFill::loadCatalogue()
{
    runInBackground([source = source, stop = stopping, reply = mailbox.address(), this] {
        const LoadedCatalogue catalogue = ::loadCatalogue(source, catalogueLimits(), stop);
        reply.post([this, catalogue] {
            loaded = catalogue;
            emit catalogueLoaded(loaded.loaded);
        });
    });
}

QVector<FolderFill::Image> FolderFill::imagesOf(const QStringList &models, QStringList *unknown,
                                                QVector<CatalogueEntry> *unfit) const
{
    QStringList wanted;
    for (const QString &model : models) {
        const bool known = std::any_of(loaded.entries.cbegin(), loaded.entries.cend(),
                                       [&](const CatalogueEntry &entry) { return entry.model == model.toUpper(); });
        if (known)
            wanted << model.toUpper();
        else
            *unknown << model;
    }
    QVector<Image> images;
    QHash<QString, QString> checksums; // by file name
    for (const CatalogueEntry &entry : loaded.entries) {
        if (!models.isEmpty() && !wanted.contains(entry.model))
            continue;
        const QString name = plainFileNameOfLink(entry.link), checksum = normalisedChecksum(entry.checksum);
        if (name.isEmpty() || checksum.isEmpty() || (checksums.contains(name) && checksums.value(name) != checksum)) {
            *unfit << entry;
        } else if (!checksums.contains(name)) {
            checksums.insert(name, checksum);
            images << Image{entry, name};
        }
    }
    return images;
}

bool FolderFill::start(const QString &folder, const QVector<Image> &images, const FolderSigning &signing, QString *why)
{
    if (!QDir().mkpath(folder)) {
        *why = "cannot make the folder " + folder;
        return false;
    }
    into = QFileInfo(folder).canonicalFilePath();
    QSaveFile saved(into + '/' + catalogueFileName);
    if (!saved.open(QIODevice::WriteOnly) || saved.write(loaded.body) < 0 || !saved.commit()) {
        *why = "cannot write " + saved.fileName() + ": " + saved.errorString();
        return false;
    }
    if (!signFetchedCatalogue(into, loaded.body, signing, why)) {
        *why = "cannot sign " + saved.fileName() + ": " + *why;
        return false;
    }
    for (const Image &image : images) {
        fills.push_back(std::make_unique<Fill>(Fill{image, nullptr, false}));
        // The copy already there is hashed in the background: an image is large.
        Fill *fill = fills.back().get();
        runInBackground([path = into + '/' + image.name, checksum = image.entry.checksum, stop = stopping,
                         reply = mailbox.address(), fill, this] {
            const bool present = checksumMatches(digestOfFile(path, stop).digest, checksum);
            reply.post([this, fill, present] {
                if (present)
                    ended(*fill, {UpdateEnd::UpToDate, {}, {}, 0, 0});
                else if (!stopping.isRaised())
                    fetch(*fill);
                else
                    ended(*fill, {UpdateEnd::Stopped, QStringLiteral("stopped"), {}, 0, 0});
            });
        });
    }
    if (fills.empty())
        QTimer::singleShot(0, this, &FolderFill::finished);
    return true;
}

void FolderFill::stop()
{
    stopping.raise();
    for (const std::unique_ptr<Fill> &fill : fills) {
        if (fill->job && !fill->ended)
            fill->job->stop();
    }
}

void FolderFill::fetch(Fill &fill)
{
    UpdateOutcome refusal;
    std::unique_ptr<ImageFeed::Reader> reader = supply.readerFor(fill.image.entry, &refusal);
    if (!reader)
        return ended(fill, refusal);
    // A folder holds many images: none of them has it to itself.
    auto destination = std::make_unique<CardDestination>(CardSpot{into + '/' + fill.image.name, into, QString(), false},
                                                         CardDestination::Kind::Folder);
    const QByteArray digest = QByteArray::fromHex(normalisedChecksum(fill.image.entry.checksum).toLatin1());
    fill.job = std::make_unique<UpdateJob>(std::move(destination), std::move(reader), digest,
                                           DownloadLimits().idleTimeoutMs);
    connect(fill.job.get(), &UpdateJob::progressed, this,
            [this, &fill](const UpdateProgress &progress) { emit progressed(fill.image.name, progress); });
    connect(fill.job.get(), &UpdateJob::finished, this, [this, &fill](const UpdateOutcome &outcome) { ended(fill, outcome); });
    fill.job->start();
}

void FolderFill::ended(Fill &fill, const UpdateOutcome &outcome)
{
    fill.ended = true;
    emit imageFinished(fill.image.name, fill.image.entry, outcome);
    if (std::all_of(fills.cbegin(), fills.cend(), [](const auto &each) { return each->ended; }))
        emit finished();
}
