#include "update/cardwriter.h"

#include "detection/mounttable.h"
#include "outside/durablefile.h"
#include "update/mediumread.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTemporaryFile>

namespace {
// Older than any write still running: a card image is written in well under this.
constexpr qint64 leftoverAgeSecs = 10 * 60;

// The card starts writing each stretch this long as soon as it is taken, so that the
// flush at the end waits for the last stretch only, not for the whole image.
constexpr qint64 writeBehindBytes = 8 * 1024 * 1024;

// A card pulled during a write keeps its half-written temporary file, which nothing
// could remove then. The next write to the card clears such leftovers; recent ones may
// belong to another update of this camera that is still running, and stay. Only the
// writer's own files go: regular files, not links, named as its temporary files are.
void removeStaleLeftovers(const QString &destinationPath)
{
    const QFileInfo destination(destinationPath);
    const QDateTime cutoff = QDateTime::currentDateTimeUtc().addSecs(-leftoverAgeSecs);
    const QFileInfoList leftovers = destination.absoluteDir().entryInfoList(
        {destination.fileName() + ".??????"}, QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo &leftover : leftovers) {
        if (leftover.lastModified().toUTC() < cutoff)
            QFile::remove(leftover.absoluteFilePath());
    }
}

// The destination with its folder as the file system resolves it, or an empty string
// when that folder is a link or lies anywhere but in or below the card's root on the card's
// own volume: a card is outside input, and a link on it could send the image, and the
// clean-up of leftovers, into the workstation's own folders.
QString destinationOnCard(const CardDestination &destination)
{
    const QFileInfo image(destination.imagePath);
    const QFileInfo folder(image.absolutePath());
    if (destination.imagePath.isEmpty() || destination.cardRoot.isEmpty() || folder.isSymLink())
        return QString();
    const QString root = QFileInfo(destination.cardRoot).canonicalFilePath(), resolved = folder.canonicalFilePath();
    const bool below = resolved == root || resolved.startsWith(root.endsWith('/') ? root : root + '/');
    if (root.isEmpty() || resolved.isEmpty() || !below || QStorageInfo(resolved).rootPath() != QStorageInfo(root).rootPath())
        return QString();
    return resolved + '/' + image.fileName();
}
}

// Removes the temporary file unless it became the image.
struct CardImageWriter::Temporary
{
    explicit Temporary(const QString &destinationPath) : file(destinationPath + QStringLiteral(".XXXXXX"))
    {
        file.setAutoRemove(false);
    }
    ~Temporary()
    {
        file.close();
        if (!kept && !file.fileName().isEmpty())
            QFile::remove(file.fileName());
    }

    QTemporaryFile file;
    bool kept = false;
};

bool isCardStillMounted(const CardDestination &destination)
{
    return destination.volumeIdentity.isEmpty() || mountIdentityAt(destination.cardRoot) == destination.volumeIdentity;
}

CardImageWriter::CardImageWriter(const CardDestination &destination)
    : destinationPath(destinationOnCard(destination)), destination(destination)
{
    if (!isCardStillMounted(destination)) {
        failure = QStringLiteral("another card is mounted where the camera was found");
        return;
    }
    if (destinationPath.isEmpty()) {
        failure = QStringLiteral("the update folder is not on the card");
        return;
    }
    removeStaleLeftovers(destinationPath);
    temporary = std::make_unique<Temporary>(destinationPath);
    if (!temporary->file.open()) {
        failure = "cannot create a file in the update folder: " + temporary->file.errorString();
        return;
    }
    // A temporary file is private to its owner; the image is not.
    temporary->file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                   | QFileDevice::ReadOther);
}

CardImageWriter::~CardImageWriter() = default;

bool CardImageWriter::take(const char *data, qint64 size)
{
    if (failed())
        return false;
    if (temporary->file.write(data, size) != size) {
        failure = "the card took fewer bytes than written: " + temporary->file.errorString();
        return false;
    }
    written += size;
    if (written - startedToMedium >= writeBehindBytes && temporary->file.flush()) {
        startWritingToMedium(temporary->file, startedToMedium, written - startedToMedium);
        startedToMedium = written;
    }
    return true;
}

CardWriteResult CardImageWriter::finish(const QByteArray &digest, const StopFlag &stop, const PhaseProgress &progress)
{
    if (failed())
        return {false, failure};
    if (stop.isRaised())
        return {false, QStringLiteral("stopped")};
    if (progress)
        progress(UpdatePhase::Writing, written, written);
    if (!flushFileToMedium(temporary->file))
        return {false, "cannot flush the image to the card: " + temporary->file.errorString()};
    const QString temporaryPath = temporary->file.fileName();
    temporary->file.close();

    const FileDigest readBack = digestFromMedium(temporaryPath, stop, [&](qint64 done) {
        if (progress)
            progress(UpdatePhase::VerifyingCard, done, written);
    });
    if (!readBack.readable)
        return {false, "cannot read the image back from the card: " + readBack.error};
    if (readBack.size != written || readBack.digest != digest)
        return {false, QStringLiteral("the card returned other bytes than were written")};

    // A card that hung here may answer again long after the update was given up, and
    // a card swapped meanwhile is another camera: either way, nothing goes live.
    if (stop.isRaised())
        return {false, QStringLiteral("stopped")};
    if (!isCardStillMounted(destination))
        return {false, QStringLiteral("another card is mounted where the camera was found")};
    if (!replaceFileAtomically(temporaryPath, destinationPath))
        return {false, QStringLiteral("cannot rename the image into place")};
    temporary->kept = true;
    flushFolderToMedium(QFileInfo(destinationPath).absolutePath());
    return {true, QString()};
}
