#include "history/historyrecord.h"

#include <QRegularExpression>
#include <QVector>

const QStringList HistoryRecord::fields{"time",  "camera",     "model",   "brand",       "location",
                                        "from",  "to",         "sha256",  "outcome",     "title",
                                        "durationMs", "bytes", "program", "workstation", "user"};

namespace {
QString isoTime(const QDateTime &time)
{
    return time.toUTC().toString(Qt::ISODateWithMs);
}

QString csvField(QString value, bool numeric)
{
    if (!numeric && !value.isEmpty() && QStringLiteral("=+-@\t\r").contains(value.front()))
        value.prepend('\'');
    if (value.contains(QRegularExpression(QStringLiteral("[\",\r\n]"))))
        value = '"' + value.replace('"', QLatin1String("\"\"")) + '"';
    return value;
}
}

QJsonObject HistoryRecord::toJson() const
{
    QJsonObject object;
    const QStringList all = values();
    for (int i = 0; i < fields.size(); ++i)
        object.insert(fields.at(i), all.at(i));
    object.insert("durationMs", durationMs);
    object.insert("bytes", bytes);
    bool numeric = false;
    const int code = outcome.toInt(&numeric);
    if (numeric)
        object.insert("outcome", code);
    return object;
}

std::optional<HistoryRecord> HistoryRecord::fromJson(const QJsonObject &object)
{
    HistoryRecord record;
    record.time = QDateTime::fromString(object.value("time").toString(), Qt::ISODate);
    if (!record.time.isValid() || !object.contains("camera") || !object.contains("outcome"))
        return std::nullopt;
    record.camera = object.value("camera").toString();
    record.model = object.value("model").toString();
    record.brand = object.value("brand").toString();
    record.location = object.value("location").toString();
    record.from = object.value("from").toString();
    record.to = object.value("to").toString();
    record.sha256 = object.value("sha256").toString();
    const QJsonValue outcome = object.value("outcome");
    record.outcome = outcome.isDouble() ? QString::number(outcome.toInt()) : outcome.toString();
    record.title = object.value("title").toString();
    record.durationMs = qint64(object.value("durationMs").toDouble());
    record.bytes = qint64(object.value("bytes").toDouble());
    record.program = object.value("program").toString();
    record.workstation = object.value("workstation").toString();
    record.user = object.value("user").toString();
    return record;
}

QStringList HistoryRecord::values() const
{
    return {isoTime(time),  camera, model,  brand,   location,
            from,           to,     sha256, outcome, title,
            QString::number(durationMs), QString::number(bytes), program, workstation, user};
}

QByteArray historyCsv(const QVector<HistoryRecord> &records)
{
    // Spreadsheets take CR LF between rows (RFC 4180).
    QString csv = HistoryRecord::fields.join(',') + "\r\n";
    const QStringList numericFields{"outcome", "durationMs", "bytes"};
    for (const HistoryRecord &record : records) {
        const QStringList values = record.values();
        QStringList row;
        for (int i = 0; i < values.size(); ++i) {
            bool number = false;
            values.at(i).toLongLong(&number);
            row << csvField(values.at(i), number && numericFields.contains(HistoryRecord::fields.at(i)));
        }
        csv += row.join(',') + "\r\n";
    }
    return csv.toUtf8();
}
