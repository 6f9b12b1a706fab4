#pragma once

#include "history/historyrecord.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// A finished update as one structured entry of the systemd journal, so that the log
// collection a workshop runs gets every bench's updates with their fields, and
// `journalctl MESSAGE_ID=…` finds them all.
struct JournalField
{
    QByteArray name; // upper case letters, digits and underscores
    QByteArray value;
};

// Chosen once for "an update finished"; it never changes.
constexpr char updateFinishedMessageId[] = "2844e0664a1b4363ae76a81b39b39d3e";

// The entry: MESSAGE_ID, PRIORITY (6, info, for an update made or not needed; 4,
// warning, for a failure), a one-line MESSAGE ("TZ2200 at 1-4.3: TZ2200 - Update
// Successful", the camera's id where it has no USB slot), SYSLOG_IDENTIFIER, then
// VEK_STATION, VEK_SLOT and each of the record's fields as VEK_… (durationMs as
// VEK_DURATION_MS).
QVector<JournalField> updateJournalFields(const HistoryRecord &record, const QString &slot, const QString &station,
                                          const QString &program);

// The fields in the journal's native protocol, one datagram: KEY=value lines, and a
// value that holds a line feed as KEY, a line feed, its length in 64 bits little-endian,
// the value and a line feed.
QByteArray journalDatagram(const QVector<JournalField> &fields);
