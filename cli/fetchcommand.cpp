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
        CliPrinter::note(tr("cannot load the catalogue from %1: %2")
                             .arg(request.source.catalogueLocation(), folder.catalogue().failure));
        return end(ExitCode::NoCatalogue);
    }
    QStringList unknown;
    QVector<CatalogueEntry> unfit;
    const QVector<FolderFill::Image> images = folder.imagesOf(request.models, &unknown, &unfit);
    if (!unknown.isEmpty())
        CliPrinter::note(tr("not in the catalogue: %1").arg(unknown.join(", ")));
    if (!request.models.isEmpty() && unknown.size() == request.models.size())
        return end(ExitCode::NothingToDo); // as update does for ids no camera has
    for (const CatalogueEntry &entry : unfit)
        CliPrinter::note(tr("%1: no image to fetch: the link %2 names no plain file of its own, or no valid "
                            "checksum comes with it")
                             .arg(entry.model, entry.link));
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
        printer.line(name, tr("present"));
    else if (outcome.end == UpdateEnd::Installed)
        printer.line(name, tr("fetched"));
    else if (folderRefused)
        printer.line(name, tr("failed: the folder %1 did not take it: %2").arg(folder.folder(), outcome.detail));
    else if (outcome.end != UpdateEnd::Stopped)
        printer.line(name, tr("failed: %1").arg(translatedUpdateMessage(entry, outcome, request.source).brief));
}

void FetchCommand::end(int exitCode)
{
    if (!ended)
        emit done(exitCode);
    ended = true;
}
