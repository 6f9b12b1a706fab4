#include "update/cardwriter.h"

#include "detection/mounttable.h"
#include "outside/durablefile.h"
#include "outside/exclusivelock.h"
#include "update/mediumread.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTemporaryFile>

namespace {
// The card starts writing each stretch this long as soon as it is taken, so that the
// flush at the end waits for the last stretch only, not for the whole image.
constexpr qint64 writeBehindBytes = 8 * 1024 * 1024;

// A card pulled, or one that hung, during a write keeps its half-written temporary
// file, which nothing could remove then. The next write to the card clears them: it
// holds the folder's lock, so no other write of this card is running. Only the
// writer's own files go: regular files, not links, named as its temporary files are.
void removeLeftovers(const QString &destinationPath)
{
    const QFileInfo destination(destinationPath);
    const QFileInfoList leftovers = destination.absoluteDir().entryInfoList(
        {destination.fileName() + ".??????"}, QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo &leftover : leftovers)
        QFile::remove(leftover.absoluteFilePath());
}

// The destination with its folder as the file system resolves it, or an empty string
// when that folder is a link or lies anywhere but in or below the card's root on the card's
// own volume: a card is outside input, and a link on it could send the image, and the
// clean-up of leftovers, into the workstation's own folders.
QString destinationOnCard(const CardSpot &spot)
{
    const QFileInfo image(spot.imagePath);
    const QFileInfo folder(image.absolutePath());
    if (spot.imagePath.isEmpty() || spot.cardRoot.isEmpty() || folder.isSymLink())
        return QString();
    const QString root = QFileInfo(spot.cardRoot).canonicalFilePath(), resolved = folder.canonicalFilePath();
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

bool isCardStillMounted(const CardSpot &spot)
{
    return spot.volumeIdentity.isEmpty() || mountIdentityAt(spot.cardRoot) == spot.volumeIdentity;
}

CardImageWriter::CardImageWriter(const CardSpot &spot) : destinationPath(destinationOnCard(spot)), spot(spot)
{
    if (!isCardStillMounted(spot)) {
        fail(UpdateEnd::Unplugged, QStringLiteral("another card is mounted where the camera was found"));
        return;
    }
    if (destinationPath.isEmpty()) {
        fail(UpdateEnd::NotWritable, QStringLiteral("the update folder is not on the card"));
        return;
    }
    if (spot.folderIsCameras) {
        ExclusiveLock::Attempt attempt;
        folderLock = ExclusiveLock::ofFolder(QFileInfo(destinationPath).path(), &attempt);
        if (attempt == ExclusiveLock::Attempt::Held) {
            fail(UpdateEnd::Busy, QStringLiteral("another program is writing to the update folder"));
            return;
        }
        removeLeftovers(destinationPath);
    }
    createTemporary();
}

CardImageWriter::~CardImageWriter() = default;

bool CardImageWriter::fail(UpdateEnd end, const QString &detail)
{
    if (!failed)
        failure = {end, detail};
    failed = true;
    return false;
}

bool CardImageWriter::createTemporary()
{
    readBack.reset();
    temporary.reset(); // an earlier temporary file goes first
    written = startedToMedium = 0;
    temporary = std::make_unique<Temporary>(destinationPath);
    if (!temporary->file.open()) {
        // A card whose lock switch was slid after it was found is read-only now.
        const bool locked = QStorageInfo(spot.cardRoot).isReadOnly();
        return fail(locked ? UpdateEnd::WriteProtected : UpdateEnd::NotWritable,
                    "cannot create a file in the update folder: " + temporary->file.errorString());
    }
    // A temporary file is private to its owner; the image is not.
    temporary->file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                   | QFileDevice::ReadOther);
    readBack = std::make_unique<MediumReadBack>(temporary->file.fileName());
    return true;
}

bool CardImageWriter::take(const char *data, qint64 size)
{
    if (failed)
        return false;
    if (temporary->file.write(data, size) != size)
        return fail(UpdateEnd::NotWritable, "the card took fewer bytes than written: " + temporary->file.errorString());
    written += size;
    if (written - startedToMedium < writeBehindBytes || !temporary->file.flush())
        return true;
    const qint64 startedBefore = startedToMedium;
    startWritingToMedium(temporary->file, startedToMedium, written - startedToMedium);
    startedToMedium = written;
    // While the card writes this stretch, the ones before it are read back: the read-back
    // after the flush then has the last stretch to read only.
    if (startedBefore > 0 && waitUntilOnMedium(temporary->file, 0, startedBefore) && !readBack->readUpTo(startedBefore))
        return fail(UpdateEnd::NotWritable, "cannot read the image back from the card: " + readBack->error());
    return true;
}

bool CardImageWriter::restart()
{
    return !failed && createTemporary();
}

CardWriteResult CardImageWriter::finish(const QByteArray &digest, const StopFlag &stop,
                                        const ByteProgress &readBackProgress)
{
    if (failed)
        return failure;
    if (stop.isRaised())
        return {UpdateEnd::Stopped, QStringLiteral("stopped before the flush")};
    // A card pulled, or swapped for another, while it took the image: the card read
    // back now would be another, or none.
    if (!isCardStillMounted(spot))
        return {UpdateEnd::Unplugged, QStringLiteral("the card went while it took the image")};
    if (!flushFileToMedium(temporary->file))
        return {UpdateEnd::NotWritable, "cannot flush the image to the card: " + temporary->file.errorString()};
    const QString temporaryPath = temporary->file.fileName();
    temporary->file.close();

    const FileDigest copy = readBack->finish(stop, readBackProgress);
    if (stop.isRaised())
        return {UpdateEnd::Stopped, QStringLiteral("stopped before the image went live")};
    if (!copy.readable)
        return {UpdateEnd::NotWritable, "cannot read the image back from the card: " + copy.error};
    if (copy.size != written || copy.digest != digest)
        return {UpdateEnd::ReadBackMismatch, QStringLiteral("the card returned other bytes than were written")};

    // A card that hung here may answer again long after the update was given up (and
    // stopped), and a card swapped meanwhile is another camera: either way, nothing
    // goes live.
    if (!isCardStillMounted(spot))
        return {UpdateEnd::Unplugged, QStringLiteral("another card is mounted where the camera was found")};
    if (!replaceFileAtomically(temporaryPath, destinationPath))
        return {UpdateEnd::NotWritable, QStringLiteral("cannot rename the image into place")};
    temporary->kept = true;
    // Until the folder holds the rename, a card that loses power may still hold the old
    // image, or none: the update is not done.
    if (!flushFolderToMedium(QFileInfo(destinationPath).absolutePath()))
        return {UpdateEnd::NotWritable, QStringLiteral("cannot flush the update folder to the card")};
    return {UpdateEnd::Installed, QString()};
}
