#include "resulttable.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QThread>

#include <algorithm>

namespace {
QString verdict(const ResultRow &row)
{
    if (!row.measured)
        return QStringLiteral("not run");
    if (!row.hasTarget)
        return QStringLiteral("(no target)");
    return row.met ? QStringLiteral("met") : QStringLiteral("MISSED");
}

QStringList cells(const ResultRow &row)
{
    return {row.what, row.updater, row.reference, row.figure, row.target, verdict(row)};
}

const QStringList headings = {"Benchmark", "Updater", "Reference", "Figure", "Target", "Verdict"};

QString procLine(const QString &file, const QString &key)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return QString();
    for (const QByteArray &line : in.readAll().split('\n')) {
        if (line.startsWith(key.toLatin1()))
            return QString::fromLatin1(line.mid(line.indexOf(':') + 1)).trimmed();
    }
    return QString();
}
}

void ResultTable::addSkipped(const QString &what, const QString &target, const QString &why)
{
    ResultRow row;
    row.what = what;
    row.updater = why;
    row.target = target;
    row.measured = false;
    rows.append(row);
}

QString ResultTable::text() const
{
    QVector<int> widths;
    for (const QString &heading : headings)
        widths.append(heading.size());
    for (const ResultRow &row : rows) {
        const QStringList line = cells(row);
        for (int i = 0; i < line.size(); ++i)
            widths[i] = std::max(widths[i], int(line[i].size()));
    }
    auto format = [&](const QStringList &line) {
        QString out;
        for (int i = 0; i < line.size(); ++i)
            out += line[i].leftJustified(widths[i] + 2);
        return out.trimmed() + '\n';
    };
    QString out = format(headings);
    for (const ResultRow &row : rows)
        out += format(cells(row));
    return out;
}

QString ResultTable::markdown() const
{
    QString out = "| " + headings.join(" | ") + " |\n|" + QString("---|").repeated(headings.size()) + '\n';
    for (const ResultRow &row : rows)
        out += "| " + cells(row).join(" | ") + " |\n";
    return out;
}

bool ResultTable::allMet() const
{
    return std::all_of(rows.begin(), rows.end(),
                       [](const ResultRow &row) { return !row.measured || !row.hasTarget || row.met; });
}

QString machineDescription()
{
    const qint64 memoryKiB = procLine("/proc/meminfo", "MemTotal").remove(QRegularExpression("[^0-9]")).toLongLong();
    return QStringLiteral("%1 CPUs (nproc), %2, %3 GiB memory")
            .arg(QThread::idealThreadCount())
            .arg(procLine("/proc/cpuinfo", "model name"))
            .arg(double(memoryKiB) / (1024 * 1024), 0, 'f', 1);
}
