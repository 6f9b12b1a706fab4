#pragma once

#include "catalogue/catalogueload.h"
#include "catalogue/cataloguesigning.h"
#include "catalogue/firmwaresource.h"
#include "outside/background.h"
#include "update/firmwarecache.h"
#include "update/imagesupply.h"
#include "update/updatejob.h"

#include <QTimer>

#include <QObject>

#include <memory>
#include <vector>

// A folder that benches without internet update from (--source DIR), filled where the
// maker's server or a mirror can be reached: the catalogue byte for byte (signed, when a
// key is given), and each image under the file name of its link, written as a card's
// is: hashed as it arrives, read back, and in place only when it is the catalogue's. An
// image the folder holds right already is not fetched again; a download that broke off
// goes on where it stopped.
class FolderFill : public QObject
{
    Q_OBJECT
public:
    explicit FolderFill(const FirmwareSource &source);
    ~FolderFill() override;

    // Reads the catalogue in the background; catalogueLoaded tells how it went.
    void loadCatalogue();
    const LoadedCatalogue &catalogue() const { return loaded; }

    struct Image
    {
        CatalogueEntry entry;
        QString name; // the file name of its link, in the folder
    };
    // The images of the models named (every model's when none is), one per file name.
    // unknown: the names that are no model of the catalogue; unfit: the entries whose
    // link names no plain file of its own, or that come with no valid checksum.
    QVector<Image> imagesOf(const QStringList &models, QStringList *unknown, QVector<CatalogueEntry> *unfit) const;

    // Writes the catalogue into the folder (made where missing, and resolved once: a
    // link leads where it leads) and brings the images. False, with why, when the
    // catalogue cannot be written or signed: then nothing more happens.
    bool start(const QString &folder, const QVector<Image> &images, const FolderSigning &signing, QString *why);
    // Where the images go, as resolved.
    QString folder() const { return into; }
    void stop();

signals:
    void catalogueLoaded(bool loaded);
    void progressed(const QString &name, const UpdateProgress &progress);
    // UpToDate: the folder held it right already.
    void imageFinished(const QString &name, const CatalogueEntry &entry, const UpdateOutcome &outcome);
    void finished();

private:
    struct Fill
    {
        Image image;
        std::unique_ptr<UpdateJob> job;
        bool ended = false;
    };
    void fetch(Fill &fill);
    void ended(Fill &fill, const UpdateOutcome &outcome);

    const FirmwareSource source;
    LoadedCatalogue loaded;
    FirmwareCache cache;
    ImageSupply supply;
    QString into;
    std::vector<std::unique_ptr<Fill>> fills;
    StopFlag stopping;
    Mailbox mailbox{this};
};
