#pragma once

#include "history/historyrecord.h"
#include "history/updatehistory.h"
#include "outside/background.h"
#include "station/stationmetrics.h"

#include <QObject>
#include <QString>
#include <QTimer>

// What a station tells the monitoring and log collection a workshop already runs, in
// their own formats, so that one view shows every bench and nothing leaves the
// workstation: a metrics file for the node exporter's textfile collector, written
// after every finished update and once a minute (so its age tells whether the bench
// still runs), and an entry in the systemd journal for each finished update. Neither
// ever stops an update: a folder that cannot be written, or a journal that fails, is
// said once in the log.
class StationReports : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QString program;       // names the file and the journal's entries, and is a label
        QString metricsFolder; // empty: no metrics file
        QString stationName;   // empty: the host name
    };

    // Today's totals and the last update's time come from this history.
    StationReports(const Options &options, const UpdateHistory &history);
    // Waits a few seconds at most for the metrics to be written: a command that ends
    // right after its last update leaves them saying so.
    ~StationReports() override;

    // An update has finished, and its record is in the history (or could not be kept).
    void updateFinished(const HistoryRecord &record, const QString &slot);
    // The bench now: the cameras attached, and how many of them are being updated.
    void camerasChanged(int attached, int updating);

private:
    void writeMetrics();
    // Empty when the file was written, else why not.
    Pending<QString> startWrite();
    static void tellOnce(bool *told, const QString &what);

    const Options options;
    const UpdateHistory history;
    StationMetrics metrics;
    QTimer minuteTimer;
    bool writing = false;
    bool writeAgain = false;
    Pending<QString> lastWrite;
    bool metricsFailureTold = false;
    bool journalFailureTold = false;
    Mailbox mailbox{this};
};
