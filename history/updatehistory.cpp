#include "history/updatehistory.h"

#include "outside/durablefile.h"
#include "outside/ownfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLockFile>
#include <QStandardPaths>

#include <deque>

namespace {
// Another program appending holds the lock for a moment only.
constexpr int lockWaitMs = 5000;
// A record takes well under a kilobyte, and one of the longest fields a card can give
// (paths, a version file's 4 KiB) far less than this: a longer line is no record of
// ours, and is skipped without being held whole.
constexpr int maxLineBytes = 1024 * 1024;

QString olderFile(const QString &file)
{
    return QFileInfo(file).path() + QStringLiteral("/history.1.jsonl");
}

QString lockFile(const QString &file)
{
    return file + QStringLiteral(".lock");
}

// Hands each line of the file to take, a piece at a time; a line too long for a record
// is passed over whole. Returns why the file could not be read to its end, or "".
QString forEachLine(QFile &file, qint64 pieceBytes, const std::function<void(const QByteArray &)> &take)
{
    QByteArray partial; // the start of a line that goes on in the next piece
    bool overlong = false;
    for (;;) {
        const QByteArray piece = file.read(pieceBytes);
        if (piece.isEmpty())
            break;
        int start = 0;
        for (int end = piece.indexOf('\n'); end >= 0; start = end + 1, end = piece.indexOf('\n', start)) {
            if (!overlong)
                take(partial + piece.mid(start, end - start));
            partial.clear();
            overlong = false;
        }
        if (!overlong)
            partial += piece.mid(start);
        if (partial.size() > maxLineBytes) {
            partial.clear();
            overlong = true;
        }
    }
    if (!overlong && !partial.isEmpty())
        take(partial);
    return file.error() == QFileDevice::NoError ? QString() : file.fileName() + ": " + file.errorString();
}
}

UpdateHistory::UpdateHistory(const QString &folder, qint64 rotateBytes)
    : file((folder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) : folder)
           + QStringLiteral("/history.jsonl")),
      rotateBytes(rotateBytes)
{
}

bool UpdateHistory::append(const HistoryRecord &record, QString *why) const
{
    if (!QDir().mkpath(QFileInfo(file).path())) {
        *why = "cannot make the folder " + QFileInfo(file).path();
        return false;
    }
    for (const QString &path : {lockFile(file), olderFile(file), file}) {
        if (!isOwnFileOrAbsent(path, why))
            return false;
    }
    QLockFile lock(lockFile(file));
    if (!lock.tryLock(lockWaitMs)) {
        *why = "another program holds the lock of " + file;
        return false;
    }
    if (QFileInfo(file).size() > rotateBytes) {
        QFile::remove(olderFile(file));
        QFile::rename(file, olderFile(file));
    }
    QFile history(file);
    if (!openOwnFile(history, QIODevice::ReadWrite | QIODevice::Append, why))
        return false;
    // After a torn line, the record starts on a line of its own.
    QByteArray line = QJsonDocument(record.toJson()).toJson(QJsonDocument::Compact) + '\n';
    char last = '\n';
    if (history.size() > 0 && history.seek(history.size() - 1) && history.getChar(&last) && last != '\n')
        line.prepend('\n');
    if (history.write(line) != line.size() || !flushFileToMedium(history)) {
        *why = file + ": " + history.errorString();
        return false;
    }
    return true;
}

QString UpdateHistory::forEachRecord(const std::function<void(const HistoryRecord &)> &take, qint64 pieceBytes) const
{
    const QStringList paths{olderFile(file), file};
    QString why;
    for (const QString &path : paths) {
        if (!isOwnFileOrAbsent(path, &why))
            return why;
    }
    for (const QString &path : paths) {
        QFile lines(path);
        if (!QFileInfo::exists(path))
            continue;
        if (!openOwnFile(lines, QIODevice::ReadOnly, &why))
            return why;
        why = forEachLine(lines, pieceBytes, [&take](const QByteArray &line) {
            if (const std::optional<HistoryRecord> record = HistoryRecord::fromJson(QJsonDocument::fromJson(line).object()))
                take(*record);
        });
        if (!why.isEmpty())
            return why;
    }
    return QString();
}

UpdateHistory::Read UpdateHistory::readNewest(int count) const
{
    Read read;
    std::deque<HistoryRecord> newest;
    read.problem = forEachRecord([&](const HistoryRecord &record) {
        newest.push_back(record);
        if (int(newest.size()) > count) {
            newest.pop_front();
            ++read.olderNotKept;
        }
    });
    if (read.problem.isEmpty())
        read.records = QVector<HistoryRecord>(newest.begin(), newest.end());
    return read;
}
