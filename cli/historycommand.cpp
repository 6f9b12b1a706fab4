#include "cli/historycommand.h"

#include "cli/cliprinter.h"
#include "cli/exitcodes.h"
#include "history/updatehistory.h"

#include <QJsonDocument>

#include <cstdio>

namespace {
QByteArray humanLine(const HistoryRecord &record)
{
    QString outcome = record.title;
    if (!record.reason.isEmpty())
        outcome += " (" + record.reason + ')';
    return QStringLiteral("%1  %2  %3  %4 -> %5  %6\n")
        .arg(record.time.toString(Qt::ISODate), record.camera, record.model, record.from, record.to, outcome)
        .toLocal8Bit();
}
}

int printHistory(const CliRequest &request)
{
    // Each record goes out as it is read, so that a history of any length takes no
    // more memory than one piece of it.
    if (request.csv)
        std::fputs(historyCsvHeader().constData(), stdout);
    const QString problem = UpdateHistory().forEachRecord([&request](const HistoryRecord &record) {
        if (request.since.isValid() && record.time < request.since)
            return;
        const QByteArray line = request.csv    ? historyCsvRow(record)
                                : request.json ? QJsonDocument(record.toJson()).toJson(QJsonDocument::Compact) + '\n'
                                               : humanLine(record);
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    });
    std::fflush(stdout);
    if (!problem.isEmpty()) {
        CliPrinter::note(problem);
        return ExitCode::Failed;
    }
    return ExitCode::Done;
}
