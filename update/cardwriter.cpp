#include "update/cardwriter.h"

#include "update/chunkedread.h"
#include "update/filesync.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTemporaryFile>

namespace {
// Older than any write still running: a card image is written in well under this.
constexpr qint64 leftoverAgeSecs = 10 * 60;

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

// Removes the temporary file unless it became the image.
class TemporaryImage
{
public:
    explicit TemporaryImage(const QString &destinationPath)
        : file(destinationPath + QStringLiteral(".XXXXXX"))
    {
        file.setAutoRemove(false);
    }
    ~TemporaryImage()
    {
        file.close();
        if (!kept && !file.fileName().isEmpty())
            QFile::remove(file.fileName());
    }

    QTemporaryFile file;
    bool kept = false;
};

CardWriteResult failed(const QString &why)
{
    return {false, why};
}

// The destination with its folder as the file system resolves it, or an empty string
// when that folder is a link or lies anywhere but below the card's root on the card's
// own volume: a card is outside input, and a link on it could send the image, and the
// clean-up of leftovers, into the workstation's own folders.
QString destinationOnCard(const QString &destinationPath, const QString &cardRoot)
{
    const QFileInfo destination(destinationPath);
    const QFileInfo folder(destination.absolutePath());
    if (cardRoot.isEmpty() || folder.isSymLink())
        return QString();
    const QString root = QFileInfo(cardRoot).canonicalFilePath(), resolved = folder.canonicalFilePath();
    if (root.isEmpty() || resolved.isEmpty() || !resolved.startsWith(root.endsWith('/') ? root : root + '/')
        || QStorageInfo(resolved).rootPath() != QStorageInfo(root).rootPath())
        return QString();
    return resolved + '/' + destination.fileName();
}

// The card's copy, written and flushed; returns the number of bytes it holds, or -1.
qint64 copyToCard(QFile &image, QFile &card, qint64 imageSize, const PhaseProgress &progress, QString &why)
{
    const ChunkedRead copied = readInChunks(
        image, [&card](const char *data, qint64 size) { return card.write(data, size) == size; },
        [&](qint64 written) {
            if (progress)
                progress(UpdatePhase::Writing, written, imageSize);
        });
    switch (copied.end) {
    case ChunkedRead::End::Complete:
        break;
    case ChunkedRead::End::ReadFailed:
        why = "cannot read the image: " + image.errorString();
        return -1;
    case ChunkedRead::End::Refused:
        why = "the card took fewer bytes than written: " + card.errorString();
        return -1;
    case ChunkedRead::End::Interrupted:
        // The window was closed under a slow card: leave the old image as it is.
        why = QStringLiteral("abandoned: the updater is closing");
        return -1;
    }
    if (!flushFileToMedium(card)) {
        why = "cannot flush the image to the card: " + card.errorString();
        return -1;
    }
    return copied.bytes;
}
}

CardWriteResult writeImageToCard(const CardWriteJob &job, const PhaseProgress &progress)
{
    if (job.destinationPath.isEmpty())
        return failed("no destination");
    const QString destinationPath = destinationOnCard(job.destinationPath, job.cardRoot);
    if (destinationPath.isEmpty())
        return failed(QStringLiteral("the update folder is not on the card"));
    QFile image(job.imagePath);
    if (!image.open(QIODevice::ReadOnly))
        return failed("cannot open the image: " + image.errorString());
    const qint64 imageSize = image.size();

    removeStaleLeftovers(destinationPath);
    TemporaryImage temporary(destinationPath);
    if (!temporary.file.open())
        return failed("cannot create a file in the update folder: " + temporary.file.errorString());
    // A temporary file is private to its owner; the image is not.
    temporary.file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                  | QFileDevice::ReadOther);
    const QString temporaryPath = temporary.file.fileName();

    QString why;
    const qint64 written = copyToCard(image, temporary.file, imageSize, progress, why);
    if (written < 0)
        return failed(why);
    temporary.file.close();
    if (written != imageSize)
        return failed(QStringLiteral("the image changed size while it was copied"));

    const FileDigest readBack = digestFromMedium(temporaryPath, [&](qint64 done) {
        if (progress)
            progress(UpdatePhase::VerifyingCard, done, written);
    });
    if (!readBack.readable)
        return failed("cannot read the image back from the card: " + readBack.error);
    if (readBack.size != written || readBack.digest != job.digest)
        return failed(QStringLiteral("the card returned other bytes than were written"));

    if (!replaceFileAtomically(temporaryPath, destinationPath))
        return failed(QStringLiteral("cannot rename the image into place"));
    temporary.kept = true;
    flushFolderToMedium(QFileInfo(destinationPath).absolutePath());
    return {true, QString()};
}
