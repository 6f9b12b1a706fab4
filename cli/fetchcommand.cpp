#include "cli/fetchcommand.h"

#include "catalogue/cataloguesigning.h"
#include "catalogue/linkfilename.h"
#include "cli/exitcodes.h"
#include "update/carddestination.h"
#include "update/checksum.h"
#include "update/filedigest.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

FetchCommand::FetchCommand(const CliRequest &request, CliPrinter &printer)
    : request(request), printer(printer), supply(cache, request.source, DownloadLimits())
{
}

void FetchCommand::start()
{
    runInBackground([source = request.source, stop = stopLoading, reply = mailbox.address(), this] {
        const LoadedCatalogue catalogue = loadCatalogue(source, catalogueLimits(), stop);
        reply.post([this, catalogue] { take(catalogue); });
    });
}

void FetchCommand::take(const LoadedCatalogue &catalogue)
{
    if (stoppedBy != 0)
        return;
    if (!catalogue.loaded) {
        CliPrinter::note("cannot load the catalogue from " + request.source.catalogueLocation() + ": "
                         + catalogue.failure);
        return end(ExitCode::NoCatalogue);
    }
    // The folder is resolved once: a link to it leads where it leads, for the catalogue
    // and the images alike.
    if (!QDir().mkpath(request.folder)) {
        CliPrinter::note("cannot make the folder " + request.folder);
        return end(ExitCode::Failed);
    }
    folder = QFileInfo(request.folder).canonicalFilePath();
    if (!chooseImages(catalogue.entries, folder))
        return end(ExitCode::NothingToDo);
    QSaveFile saved(folder + '/' + catalogueFileName);
    if (!saved.open(QIODevice::WriteOnly) || saved.write(catalogue.body) < 0 || !saved.commit()) {
        CliPrinter::note("cannot write " + saved.fileName() + ": " + saved.errorString());
        return end(ExitCode::Failed);
    }
    QString why;
    if (!signFetchedCatalogue(folder, catalogue.body, request.signing, &why)) {
        CliPrinter::note("cannot sign " + saved.fileName() + ": " + why);
        return end(ExitCode::Failed);
    }
    for (const std::unique_ptr<Image> &image : images)
        fetch(*image);
    if (images.empty())
        end(anyFailed ? ExitCode::Failed : ExitCode::Done);
}

void FetchCommand::stop(int signal)
{
    if (stoppedBy != 0)
        return;
    stoppedBy = signal;
    stopLoading.raise();
    bool running = false;
    for (const std::unique_ptr<Image> &image : images) {
        if (image->job && !image->ended) {
            image->job->stop();
            running = true;
        }
    }
    if (!running)
        end(ExitCode::afterSignal(request.command, signal, true));
}

// The images to bring, one per file name. False when models were named and none of
// them is in the catalogue.
bool FetchCommand::chooseImages(const QVector<CatalogueEntry> &entries, const QString &folder)
{
    QStringList unknown;
    for (const QString &model : request.models) {
        const bool known = std::any_of(entries.cbegin(), entries.cend(),
                                       [&](const CatalogueEntry &entry) { return entry.model == model.toUpper(); });
        if (!known)
            unknown << model;
    }
    if (!unknown.isEmpty()) {
        CliPrinter::note("not in the catalogue: " + unknown.join(", "));
        anyFailed = true;
        if (unknown.size() == request.models.size())
            return false;
    }
    QHash<QString, QString> checksums; // by file name
    for (const CatalogueEntry &entry : entries) {
        if (!request.models.isEmpty()
            && !std::any_of(request.models.cbegin(), request.models.cend(),
                            [&](const QString &model) { return model.toUpper() == entry.model; }))
            continue;
        const QString name = plainFileNameOfLink(entry.link);
        const QString checksum = normalisedChecksum(entry.checksum);
        if (name.isEmpty() || checksum.isEmpty() || (checksums.contains(name) && checksums.value(name) != checksum)) {
            CliPrinter::note(entry.model + ": no image to fetch: the link " + entry.link
                             + " names no plain file of its own, or no valid checksum comes with it");
            anyFailed = true;
            continue;
        }
        if (checksums.contains(name))
            continue;
        checksums.insert(name, checksum);
        if (checksumMatches(digestOfFile(folder + '/' + name).digest, checksum)) {
            printer.line(name, QStringLiteral("present"));
            continue;
        }
        images.push_back(std::make_unique<Image>(Image{entry, name, nullptr, false}));
    }
    return true;
}

void FetchCommand::fetch(Image &image)
{
    UpdateOutcome refusal;
    std::unique_ptr<ImageFeed::Reader> reader = supply.readerFor(image.entry, &refusal);
    if (!reader)
        return imageEnded(image, refusal);
    auto destination = std::make_unique<CardDestination>(CardSpot{folder + '/' + image.name, folder, QString(), false},
                                                         CardDestination::Kind::Folder);
    const QByteArray digest = QByteArray::fromHex(normalisedChecksum(image.entry.checksum).toLatin1());
    image.job = std::make_unique<UpdateJob>(std::move(destination), std::move(reader), digest,
                                            DownloadLimits().idleTimeoutMs);
    connect(image.job.get(), &UpdateJob::progressed, this,
            [this, &image](const UpdateProgress &progress) { printer.progress(image.name, progress); });
    connect(image.job.get(), &UpdateJob::finished, this,
            [this, &image](const UpdateOutcome &outcome) { imageEnded(image, outcome); });
    image.job->start();
}

void FetchCommand::imageEnded(Image &image, const UpdateOutcome &outcome)
{
    image.ended = true;
    anyFailed = anyFailed || !outcome.succeeded();
    const bool folderRefused = outcome.end == UpdateEnd::NotWritable || outcome.end == UpdateEnd::ReadBackMismatch
                               || outcome.end == UpdateEnd::WriteProtected || outcome.end == UpdateEnd::Busy;
    if (outcome.end == UpdateEnd::Installed)
        printer.line(image.name, QStringLiteral("fetched"));
    else if (folderRefused)
        printer.line(image.name, "failed: the folder " + folder + " did not take it: " + outcome.detail);
    else if (outcome.end != UpdateEnd::Stopped)
        printer.line(image.name, "failed: " + updateMessage(image.entry, outcome, request.source).brief);
    const bool allEnded = std::all_of(images.cbegin(), images.cend(), [](const auto &each) { return each->ended; });
    if (allEnded)
        end(stoppedBy != 0 ? ExitCode::afterSignal(request.command, stoppedBy, true)
                           : anyFailed ? ExitCode::Failed : ExitCode::Done);
}

void FetchCommand::end(int exitCode)
{
    if (!ended)
        emit done(exitCode);
    ended = true;
}
