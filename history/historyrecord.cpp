#include "history/historyrecord.h"

#include <QRegularExpression>
#include <QVector>

const QStringList HistoryRecord::fields{"time",   "camera",     "model", "brand",   "location",    "from",
                                        "to",     "sha256",     "outcome", "title", "durationMs", "bytes",
                                        "program", "workstation", "user", "reason", "signer"};

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

namespace {
// A history file is read back as it was found: a number no count of bytes or
// milliseconds can be (negative, or beyond what a double holds exactly) reads as 0.
qint64 wholeNumber(const QJsonValue &value)
{
    const double number = value.toDouble();
    return number >= 0 && number < 9007199254740992.0 ? qint64(number) : 0;
}
}

std::optional<HistoryRecord> HistoryRecord::fromJson(const QJsonObject &object)
{
    HistoryRecord record;
    record.time = QDateTime::fromString(object.value("time").toString(), Qt::ISODate);
    const QJsonValue outcome = object.value("outcome");
    if (!record.time.isValid() || !object.value("time").isString() || !object.value("camera").isString()
        || !(outcome.isString() || outcome.isDouble()))
        return std::nullopt;
    record.camera = object.value("camera").toString();
    record.model = object.value("model").toString();
    record.brand = object.value("brand").toString();
    record.location = object.value("location").toString();
    record.from = object.value("from").toString();
    record.to = object.value("to").toString();
    record.sha256 = object.value("sha256").toString();
    record.outcome = outcome.isDouble() ? QString::number(outcome.toInt()) : outcome.toString();
    record.title = object.value("title").toString();
    record.durationMs = wholeNumber(object.value("durationMs"));
    record.bytes = wholeNumber(object.value("bytes"));
    record.program = object.value("program").toString();
    record.workstation = object.value("workstation").toString();
    record.user = object.value("user").toString();
    record.reason = object.value("reason").toString();
    record.signer = object.value("signer").toString();
    return record;
}

QStringList HistoryRecord::values() const
{
    return {isoTime(time), camera, model, brand, location, from, to, sha256, outcome, title,
            QString::number(durationMs), QString::number(bytes), program, workstation, user, reason, signer};
}

// Spreadsheets take CR LF between rows (RFC 4180).

QByteArray historyCsvHeader()
{
    return (HistoryRecord::fields.join(',') + "\r\n").toUtf8();
}

QByteArray historyCsvRow(const HistoryRecord &record)
{
    static const QStringList numericFields{"outcome", "durationMs", "bytes"};
    const QStringList values = record.values();
    QStringList row;
    for (int i = 0; i < values.size(); ++i) {
        bool number = false;
        values.at(i).toLongLong(&number);
        row << csvField(values.at(i), number && numericFields.contains(HistoryRecord::fields.at(i)));
    }
    return (row.join(',') + "\r\n").toUtf8();
}

QByteArray historyCsv(const QVector<HistoryRecord> &records)
{
    QByteArray csv = historyCsvHeader();
    for (const HistoryRecord &record : records)
        csv += historyCsvRow(record);
    return csv;
}
