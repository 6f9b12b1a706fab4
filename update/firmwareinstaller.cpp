#include "update/firmwareinstaller.h"

#include "catalogue/assetinformation.h"
#include "outside/networkrequest.h"
#include "detection/versionfile.h"
#include "update/adbpush.h"
#include "update/cardwriter.h"
#include "update/checksum.h"
#include "update/filedigest.h"
#include "update/firmwarecache.h"
#include "update/firmwaredownload.h"
#include "update/imagestream.h"
#include "update/installoutcome.h"
#include "update/offthread.h"
#include "update/stoprequest.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>

namespace {
void logDownloadFailure(const QString &errorString, QNetworkReply::NetworkError error)
{
    qDebug() << "Failure" << errorString << " Error:" << error;
}

// Not the network's fault, so the line names no network error.
void logStorageFailure(const QString &why)
{
    qDebug() << "Failure - the workstation's temporary folder cannot hold the image:" << why;
}
}

FirmwareInstaller::FirmwareInstaller(FirmwareCache &cache, PhaseProgress reporter, const StopRequest &stop,
                                     const InstallLimits &limits)
    : cache(cache), reporter(std::move(reporter)), stop(stop), limits(limits)
{
}

int FirmwareInstaller::install(const ASSET_INFORMATION &device)
{
    if (device.Link.isEmpty()) {
        qDebug() << "Failure - Destination is empty";
        return InstallOutcome::NoLink;
    }
    VerifiedImage image = cachedImage(device.Link, device.Checksum);
    if (image.path.isEmpty()) {
        // A card takes the image while it arrives; an adb camera gets it pushed afterwards.
        std::optional<CardDestination> card;
        if (!device.ADB_Device)
            card = cardDestination(device.Update_Path, device.Model_Code);
        image = downloadedImage(device.Link, device.Checksum, card);
    }
    // A download stopped because the camera went is the camera's failure, not the link's.
    if (image.outcome != InstallOutcome::Installed)
        return stop.isRaised() ? int(InstallOutcome::NotWritable) : image.outcome;
    if (image.card)
        return image.card->placed ? InstallOutcome::Installed : InstallOutcome::NotWritable;

    // Detection may have moved the camera while the image was checked: take the record
    // as it is now.
    if (!device.ADB_Device)
        return writeToCard(image, cardDestination(device.Update_Path, device.Model_Code));
    return pushOverAdb(image, device.Update_Path, device.Model_Code);
}

CardDestination FirmwareInstaller::cardDestination(const QString &imagePath, const QString &modelCode)
{
    // Detection put the image at a fixed place below the card's root; what stands
    // before that place is the root.
    const QString cardPath = CardLayout::updateImage(modelCode);
    return {imagePath, imagePath.endsWith(cardPath) ? imagePath.chopped(cardPath.size()) : QString()};
}

FirmwareInstaller::VerifiedImage FirmwareInstaller::cachedImage(const QString &link, const QString &checksum)
{
    const QString path = cache.imageFor(link, checksum);
    if (path.isEmpty())
        return {};
    const qint64 size = QFileInfo(path).size();
    reporter(UpdatePhase::Verifying, 0, size);
    const PhaseProgress report = reporter;
    const FileDigest check = runOffGuiThread([path, size, report] {
        return digestOfFile(path, [&report, size](qint64 done) { report(UpdatePhase::Verifying, done, size); });
    });
    if (check.readable && checksumMatches(check.digest, checksum))
        return {InstallOutcome::Installed, path, check.digest, {}};
    // The kept copy has rotted on disk; fetch a fresh one.
    cache.drop(link, checksum);
    return {};
}

FirmwareInstaller::VerifiedImage FirmwareInstaller::downloadedImage(const QString &link, const QString &checksum,
                                                                    const std::optional<CardDestination> &card)
{
    QString refusal;
    const QUrl url = httpsUrlFromLink(link, &refusal);
    if (url.isEmpty()) {
        logDownloadFailure(refusal, QNetworkReply::ProtocolUnknownError);
        return {InstallOutcome::DownloadFailed, {}, {}, {}};
    }
    const QString path = cache.newDownloadFile();
    if (path.isEmpty()) {
        logStorageFailure(QStringLiteral("no file can be made in ") + QDir::tempPath());
        return {InstallOutcome::DownloadFailed, {}, {}, {}};
    }
    reporter(UpdatePhase::Downloading, 0, -1);
    // Hashing and writing an image keep a core busy: off the GUI thread, so that the
    // window never waits for them.
    const ImageStreamJob job{url, path, checksum, card, limits.download};
    const StreamedImage streamed =
        runOffGuiThread([job, report = reporter] { return streamImage(job, report); }, &stop, &StopRequest::raised);
    const DownloadResult &download = streamed.download;
    int outcome = InstallOutcome::Installed;
    if (download.storageFailed) {
        logStorageFailure(download.errorString);
        outcome = InstallOutcome::DownloadFailed;
    } else if (!download.succeeded()) {
        logDownloadFailure(download.errorString, download.error);
        outcome = InstallOutcome::DownloadFailed;
    } else if (!checksumMatches(streamed.digest, checksum)) {
        outcome = InstallOutcome::ChecksumMismatch;
    }
    if (outcome != InstallOutcome::Installed) {
        cache.discard(path);
        return {outcome, {}, {}, {}};
    }
    cache.keep(link, checksum, path);
    return {InstallOutcome::Installed, path, streamed.digest, streamed.card};
}

int FirmwareInstaller::writeToCard(const VerifiedImage &image, const CardDestination &destination)
{
    const PhaseProgress report = reporter;
    const CardWriteResult written = runOffGuiThread(
        [path = image.path, destination, digest = image.digest, report] {
            return writeImageToCard(path, destination, digest, report);
        });
    return written.placed ? InstallOutcome::Installed : InstallOutcome::NotWritable;
}

int FirmwareInstaller::pushOverAdb(const VerifiedImage &image, const QString &stagingPath, const QString &modelCode)
{
    const AdbPushJob job{image.path, stagingPath, "/mnt/SDCARD/DCIM/" + modelCode + "LOAD",
                         limits.push.forImage(QFileInfo(image.path).size())};
    const PhaseProgress report = reporter;
    switch (runOffGuiThread([job, report] { return pushImageOverAdb(job, report); })) {
    case AdbPushOutcome::Pushed:
        return InstallOutcome::Installed;
    case AdbPushOutcome::StagingNotWritable:
        return InstallOutcome::NotWritable;
    case AdbPushOutcome::PushNotConfirmed:
        break;
    }
    return InstallOutcome::PushNotConfirmed;
}
