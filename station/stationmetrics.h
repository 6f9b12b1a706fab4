#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <map>
#include <optional>

// How many updates came to each outcome, by model. The outcome is the history's own
// ("0", "-4", "up-to-date"), so a count, a history line and a journal entry agree.
struct OutcomeAndModel
{
    QString outcome;
    QString model;
    bool operator<(const OutcomeAndModel &other) const
    {
        return outcome != other.outcome ? outcome < other.outcome : model < other.model;
    }
};
using UpdateCounts = std::map<OutcomeAndModel, qint64>;

// What a station's metrics tell at one moment, as values: they are gathered on the
// station's thread and written out in another.
struct StationMetrics
{
    QString station; // the bench's name, a label on every series
    QString program; // which program: the window and the command line may both run
    QString version;
    UpdateCounts sinceStart;
    UpdateCounts today; // the history's, for this program
    int camerasAttached = 0;
    int camerasUpdating = 0;
    qint64 bytesWrittenSinceStart = 0;
    std::optional<QDateTime> lastUpdate;
};

// The metrics in Prometheus's text format, as the node exporter's textfile collector
// reads them: a HELP and a TYPE line for each metric that has a series, counters ending
// in _total, seconds and bytes as units, label values escaped.
QByteArray metricsText(const StationMetrics &metrics);
