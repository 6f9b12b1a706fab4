#include "station/historytally.h"

HistoryTally::HistoryTally(const QString &program, QDate day) : program(program), day(day) {}

void HistoryTally::take(const HistoryRecord &record)
{
    if (record.program != program)
        return;
    if (record.time.toLocalTime().date() == day)
        ++counts[{record.outcome, record.model}];
    if (!newestTime || record.time > *newestTime)
        newestTime = record.time;
}

HistoryTally tallyHistory(const UpdateHistory &history, const QString &program, QDate day)
{
    HistoryTally tally(program, day);
    history.forEachRecord([&tally](const HistoryRecord &record) { tally.take(record); });
    return tally;
}
