#include "cli/historycommand.h"

#include "cli/cliprinter.h"
#include "cli/exitcodes.h"
#include "history/updatehistory.h"

#include <QJsonDocument>

#include <cstdio>

int printHistory(const CliRequest &request)
{
    const UpdateHistory::Read read = UpdateHistory().read();
    if (!read.problem.isEmpty()) {
        CliPrinter::note(read.problem);
        return ExitCode::Failed;
    }
    QVector<HistoryRecord> records;
    for (const HistoryRecord &record : read.records) {
        if (!request.since.isValid() || record.time >= request.since)
            records << record;
    }
    if (request.csv) {
        std::fputs(historyCsv(records).constData(), stdout);
        return ExitCode::Done;
    }
    for (const HistoryRecord &record : qAsConst(records)) {
        if (request.json)
            std::printf("%s\n", QJsonDocument(record.toJson()).toJson(QJsonDocument::Compact).constData());
        else
            std::printf("%s  %s  %s  %s -> %s  %s\n", qPrintable(record.time.toString(Qt::ISODate)),
                        qPrintable(record.camera), qPrintable(record.model), qPrintable(record.from),
                        qPrintable(record.to), qPrintable(record.title));
    }
    return ExitCode::Done;
}
