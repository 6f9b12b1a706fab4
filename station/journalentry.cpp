#include "station/journalentry.h"

#include "update/updatemessages.h"

#include <QtEndian>

namespace {
// "durationMs" → "VEK_DURATION_MS": what the journal allows in a field's name.
QByteArray journalName(const QString &field)
{
    QByteArray name = "VEK_";
    for (const QChar c : field) {
        if (c.isUpper())
            name += '_';
        name += c.isLetterOrNumber() && c.unicode() < 128 ? char(c.toUpper().unicode()) : '_';
    }
    return name;
}

bool succeeded(const HistoryRecord &record)
{
    return record.outcome == outcomeName(UpdateEnd::Installed) || record.outcome == outcomeName(UpdateEnd::UpToDate);
}
}

QVector<JournalField> updateJournalFields(const HistoryRecord &record, const QString &slot, const QString &station,
                                          const QString &program)
{
    QString message = record.model + " at " + (slot.isEmpty() ? record.camera : slot) + ": " + record.title;
    message.replace('\r', ' ').replace('\n', ' ');
    QVector<JournalField> fields{{"MESSAGE_ID", updateFinishedMessageId},
                                 {"PRIORITY", succeeded(record) ? "6" : "4"},
                                 {"MESSAGE", message.toUtf8()},
                                 {"SYSLOG_IDENTIFIER", program.toUtf8()},
                                 {"VEK_STATION", station.toUtf8()},
                                 {"VEK_SLOT", slot.toUtf8()}};
    const QStringList values = record.values();
    for (int i = 0; i < HistoryRecord::fields.size(); ++i)
        fields.append({journalName(HistoryRecord::fields.at(i)), values.at(i).toUtf8()});
    return fields;
}

QByteArray journalDatagram(const QVector<JournalField> &fields)
{
    QByteArray datagram;
    for (const JournalField &field : fields) {
        if (!field.value.contains('\n')) {
            datagram += field.name + '=' + field.value + '\n';
            continue;
        }
        char length[8];
        qToLittleEndian<quint64>(quint64(field.value.size()), length);
        datagram += field.name + '\n' + QByteArray(length, sizeof length) + field.value + '\n';
    }
    return datagram;
}
