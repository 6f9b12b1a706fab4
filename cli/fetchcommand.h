#pragma once

#include "catalogue/catalogueload.h"
#include "cli/cliprinter.h"
#include "cli/commandline.h"
#include "update/firmwarecache.h"
#include "update/updatequeue.h"

#include <QHash>
#include <QObject>

// fetch DIR [MODEL...]: the catalogue, byte for byte, and the images of every model (or
// those named) into a folder, for benches that update from it with --source DIR. Each
// image is hashed as it arrives and kept under its name only when it hashes right; one
// already there that does is not fetched again. A download that broke off goes on where
// it stopped.
class FetchCommand : public QObject
{
    Q_OBJECT
public:
    FetchCommand(const CliRequest &request, CliPrinter &printer);

    void start();
    void stop();

signals:
    void done(int exitCode);

private:
    // The images to bring, one per file name; false when one cannot be had at all.
    bool chooseImages(const QVector<CatalogueEntry> &entries, QVector<AttachedCamera> *wanted);
    void end(int exitCode);

    const CliRequest request;
    CliPrinter &printer;
    FirmwareCache cache;
    UpdateQueue queue;
    QHash<int, QString> names; // by index in the queue: the image's file name
    bool anyFailed = false;
    bool ended = false;
};
