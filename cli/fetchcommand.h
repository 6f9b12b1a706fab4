#pragma once

#include "catalogue/catalogueload.h"
#include "cli/cliprinter.h"
#include "cli/commandline.h"
#include "outside/background.h"
#include "update/firmwarecache.h"
#include "update/imagesupply.h"
#include "update/updatejob.h"

#include <QObject>

#include <memory>
#include <vector>

// fetch DIR [MODEL...]: the catalogue, byte for byte, and the images of every model (or
// those named) into a folder, for benches that update from it with --source DIR. Each
// image is written as a card's is (see CardImageWriter): hashed as it arrives, read
// back, and kept under its name only when it is the catalogue's; one already there that
// is, is not fetched again. A download that broke off goes on where it stopped.
class FetchCommand : public QObject
{
    Q_OBJECT
public:
    FetchCommand(const CliRequest &request, CliPrinter &printer);

    void start();
    void stop(int signal);

signals:
    void done(int exitCode);

private:
    struct Image
    {
        CatalogueEntry entry;
        QString name; // the file name of its link, in the folder
        std::unique_ptr<UpdateJob> job;
        bool ended = false;
    };
    void take(const LoadedCatalogue &catalogue);
    bool chooseImages(const QVector<CatalogueEntry> &entries, const QString &folder);
    void fetch(Image &image);
    void imageEnded(Image &image, const UpdateOutcome &outcome);
    void end(int exitCode);

    const CliRequest request;
    CliPrinter &printer;
    FirmwareCache cache;
    ImageSupply supply;
    QString folder; // where the images go, resolved once
    std::vector<std::unique_ptr<Image>> images;
    int stoppedBy = 0;
    bool anyFailed = false;
    bool ended = false;
    StopFlag stopLoading;
    Mailbox mailbox{this};
};
