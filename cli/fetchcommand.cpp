#include "cli/fetchcommand.h"

#include "cli/exitcodes.h"

FetchCommand::FetchCommand(const CliRequest &request, CliPrinter &printer)
    : request(request), printer(printer), folder(request.source)
{
    connect(&folder, &FolderFill::catalogueLoaded, this, &FetchCommand::fill);
    connect(&folder, &FolderFill::progressed, this,
            [this](const QString &name, const UpdateProgress &progress) { this->printer.progress(name, progress); });
    connect(&folder, &FolderFill::imageFinished, this, &FetchCommand::imageFinished);
    connect(&folder, &FolderFill::finished, this, [this] {
        end(stoppedBy != 0 ? ExitCode::afterSignal(this->request.command, stoppedBy, true)
                           : anyFailed ? ExitCode::Failed : ExitCode::Done);
    });
}

void FetchCommand::start()
{
    folder.loadCatalogue();
}

void FetchCommand::fill()
{
    if (stoppedBy != 0)
        return;
    if (!folder.catalogue().loaded) {
        CliPrinter::note("cannot load the catalogue from " + request.source.catalogueLocation() + ": "
                         + folder.catalogue().failure);
        return end(ExitCode::NoCatalogue);
    }
    QStringList unknown;
    QVector<CatalogueEntry> unfit;
    const QVector<FolderFill::Image> images = folder.imagesOf(request.models, &unknown, &unfit);
    if (!unknown.isEmpty())
        CliPrinter::note("not in the catalogue: " + unknown.join(", "));
    if (!request.models.isEmpty() && unknown.size() == request.models.size())
        return end(ExitCode::NothingToDo); // as update does for ids no camera has
    for (const CatalogueEntry &entry : unfit)
        CliPrinter::note(entry.model + ": no image to fetch: the link " + entry.link
                         + " names no plain file of its own, or no valid checksum comes with it");
    anyFailed = !unknown.isEmpty() || !unfit.isEmpty();
    QString why;
    if (!folder.start(request.folder, images, request.signing, &why)) {
        CliPrinter::note(why);
        return end(ExitCode::Failed);
    }
}

void FetchCommand::stop(int signal)
{
    if (stoppedBy != 0)
        return;
    stoppedBy = signal;
    folder.stop();
    if (folder.folder().isEmpty())
        end(ExitCode::afterSignal(request.command, signal, true));
}

void FetchCommand::imageFinished(const QString &name, const CatalogueEntry &entry, const UpdateOutcome &outcome)
{
    anyFailed = anyFailed || !outcome.succeeded();
    const bool folderRefused = outcome.end == UpdateEnd::NotWritable || outcome.end == UpdateEnd::ReadBackMismatch
                               || outcome.end == UpdateEnd::WriteProtected;
    if (outcome.end == UpdateEnd::UpToDate)
        printer.line(name, QStringLiteral("present"));
    else if (outcome.end == UpdateEnd::Installed)
        printer.line(name, QStringLiteral("fetched"));
    else if (folderRefused)
        printer.line(name, "failed: the folder " + folder.folder() + " did not take it: " + outcome.detail);
    else if (outcome.end != UpdateEnd::Stopped)
        printer.line(name, "failed: " + updateMessage(entry, outcome, request.source).brief);
}

void FetchCommand::end(int exitCode)
{
    if (!ended)
        emit done(exitCode);
    ended = true;
}
