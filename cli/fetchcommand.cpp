#include "cli/fetchcommand.h"

#include "catalogue/cataloguesigning.h"
#include "catalogue/linkfilename.h"
#include "cli/exitcodes.h"
#include "update/checksum.h"
#include "update/filedigest.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

FetchCommand::FetchCommand(const CliRequest &request, CliPrinter &printer)
    : request(request), printer(printer), queue(cache, request.source, {})
{
    connect(&queue, &UpdateQueue::progressed, this, [this](int index, const JobProgress &progress) {
        this->printer.progress(names.value(index), progress);
    });
    connect(&queue, &UpdateQueue::finished, this, [this](int index, const AttachedCamera &image, const UpdateResult &result) {
        if (result.skipped)
            return;
        anyFailed = anyFailed || !result.succeeded();
        const UpdateMessage message = updateMessage(image.entry, result, this->request.source);
        this->printer.line(names.value(index), result.succeeded() ? QStringLiteral("fetched") : "failed: " + message.brief);
    });
    connect(&queue, &UpdateQueue::allFinished, this, [this] { end(anyFailed ? ExitCode::Failed : ExitCode::Done); });
}

void FetchCommand::start()
{
    const LoadedCatalogue catalogue = loadCatalogue(request.source, catalogueLimits(), StopFlag());
    if (!catalogue.loaded) {
        CliPrinter::note("cannot load the catalogue from " + request.source.catalogueLocation() + ": "
                         + catalogue.failure);
        return end(ExitCode::NoCatalogue);
    }
    QSaveFile saved(QDir(request.folder).filePath(catalogueFileName));
    if (!QDir().mkpath(request.folder) || !saved.open(QIODevice::WriteOnly) || saved.write(catalogue.body) < 0
        || !saved.commit()) {
        CliPrinter::note("cannot write " + saved.fileName() + ": " + saved.errorString());
        return end(ExitCode::Failed);
    }
    QString why;
    if (!signFetchedCatalogue(request.folder, catalogue.body, request.signing, &why)) {
        CliPrinter::note("cannot sign " + saved.fileName() + ": " + why);
        return end(ExitCode::Failed);
    }
    QVector<AttachedCamera> wanted;
    anyFailed = !chooseImages(catalogue.entries, &wanted);
    if (wanted.isEmpty())
        return end(anyFailed ? ExitCode::Failed : ExitCode::Done);
    const QVector<int> indexes = queue.add(wanted, UpdateQueue::Decide::Always);
    for (int i = 0; i < indexes.size(); ++i)
        names.insert(indexes.at(i), QFileInfo(wanted.at(i).imagePath).fileName());
}

void FetchCommand::stop()
{
    anyFailed = true;
    queue.stop();
}

bool FetchCommand::chooseImages(const QVector<CatalogueEntry> &entries, QVector<AttachedCamera> *wanted)
{
    const QString folder = QFileInfo(request.folder).absoluteFilePath();
    QStringList models;
    for (const QString &model : request.models)
        models << model.toUpper();
    QHash<QString, QString> checksums; // by file name
    bool allCanBeHad = true;
    for (const CatalogueEntry &entry : entries) {
        if (!models.isEmpty() && !models.contains(entry.model))
            continue;
        const QString name = plainFileNameOfLink(entry.link);
        const QString checksum = normalisedChecksum(entry.checksum);
        if (name.isEmpty() || checksum.isEmpty()
            || (checksums.contains(name) && checksums.value(name) != checksum)) {
            CliPrinter::note(entry.model + ": no image to fetch: the link " + entry.link
                             + " names no plain file of its own, or no valid checksum comes with it");
            allCanBeHad = false;
            continue;
        }
        if (checksums.contains(name))
            continue;
        checksums.insert(name, checksum);
        const QString path = folder + '/' + name;
        if (checksumMatches(digestOfFile(path).digest, checksum)) {
            printer.line(name, QStringLiteral("present"));
            continue;
        }
        // The folder takes the image as a card would: under a temporary name, read
        // back, and renamed into place only when it hashes right.
        AttachedCamera image;
        image.entry = entry;
        image.location = folder;
        image.imagePath = path;
        *wanted << image;
    }
    return allCanBeHad;
}

void FetchCommand::end(int exitCode)
{
    if (!ended)
        emit done(exitCode);
    ended = true;
}
