#pragma once

#include "history/historyrecord.h"
#include "history/updatehistory.h"
#include "station/stationmetrics.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>

// One program's updates in the history: how many came to each outcome on one day
// (local time), and when its newest one finished. Records are taken one at a time,
// oldest first, so that a read in pieces feeds it as well as a whole one.
class HistoryTally
{
public:
    HistoryTally(const QString &program, QDate day);

    void take(const HistoryRecord &record);

    const UpdateCounts &onDay() const { return counts; }
    std::optional<QDateTime> newest() const { return newestTime; }

private:
    QString program;
    QDate day;
    UpdateCounts counts;
    std::optional<QDateTime> newestTime;
};

// Tallies the whole history; blocks on the disk, so it is meant for a background thread.
HistoryTally tallyHistory(const UpdateHistory &history, const QString &program, QDate day);
