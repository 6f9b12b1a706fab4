#include "history/updatehistory.h"

#include "outside/durablefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLockFile>
#include <QStandardPaths>

namespace {
// Another program appending holds the lock for a moment only.
constexpr int lockWaitMs = 5000;
// A history far beyond any bench's years; a larger file is not read whole.
constexpr qint64 maxReadBytes = 64 * 1024 * 1024;

QString olderFile(const QString &file)
{
    return QFileInfo(file).path() + QStringLiteral("/history.1.jsonl");
}

void readLines(const QString &path, QVector<HistoryRecord> *records)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QList<QByteArray> lines = file.read(maxReadBytes).split('\n');
    for (const QByteArray &line : lines) {
        const QJsonDocument document = QJsonDocument::fromJson(line);
        if (const std::optional<HistoryRecord> record = HistoryRecord::fromJson(document.object()))
            records->append(*record);
    }
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
    QLockFile lock(file + QStringLiteral(".lock"));
    if (!lock.tryLock(lockWaitMs)) {
        *why = "another program holds the lock of " + file;
        return false;
    }
    if (QFileInfo(file).size() > rotateBytes) {
        QFile::remove(olderFile(file));
        QFile::rename(file, olderFile(file));
    }
    QFile history(file);
    if (!history.open(QIODevice::ReadWrite | QIODevice::Append)) {
        *why = file + ": " + history.errorString();
        return false;
    }
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

UpdateHistory::Read UpdateHistory::read() const
{
    Read read;
    if (QFileInfo::exists(file) && !QFileInfo(file).isReadable()) {
        read.problem = file + " cannot be read";
        return read;
    }
    readLines(olderFile(file), &read.records);
    readLines(file, &read.records);
    return read;
}
