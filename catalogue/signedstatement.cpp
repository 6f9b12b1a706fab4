#include "catalogue/signedstatement.h"

#include "catalogue/signerkey.h"

#include <QRegularExpression>

const QString statementSuffix = QStringLiteral(".statement");
const QString signatureSuffix = QStringLiteral(".statement.sig");

namespace {
const QByteArray heading = QByteArrayLiteral("vek-updater catalogue statement");
const QByteArrayList fields = {"sha256", "serial", "expires", "signer", "key"};
const QString timeFormat = QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'");
// Eighteen digits stay below qint64's limit.
constexpr int maxSerialDigits = 18;

// Read as UTC from the start (a local reading could fall into a daylight-saving gap),
// and only in the form a statement is written in: Qt's reading takes a "+" year too.
QDateTime utcTime(const QByteArray &value)
{
    const QDate date = QDate::fromString(QString::fromLatin1(value.left(10)), QStringLiteral("yyyy-MM-dd"));
    const QTime time = QTime::fromString(QString::fromLatin1(value.mid(11, 8)), QStringLiteral("HH:mm:ss"));
    const QDateTime parsed(date, time, Qt::UTC);
    return parsed.isValid() && parsed.toString(timeFormat).toLatin1() == value ? parsed : QDateTime();
}

bool isHexDigest(const QByteArray &value)
{
    static const QRegularExpression hex(QStringLiteral("^[0-9a-f]{64}$"));
    return hex.match(QString::fromLatin1(value)).hasMatch();
}
}

QByteArray statementText(const CatalogueStatement &statement)
{
    const QByteArrayList values = {statement.sha256, QByteArray::number(statement.serial),
                                   statement.expires.toUTC().toString(timeFormat).toLatin1(),
                                   statement.signer.toLatin1(), statement.key};
    QByteArray text = heading + '\n';
    for (int i = 0; i < fields.size(); ++i)
        text += fields.at(i) + ": " + values.at(i) + '\n';
    return text;
}

std::optional<CatalogueStatement> parseStatement(const QByteArray &text)
{
    if (text.size() > maxStatementBytes || !text.endsWith('\n'))
        return std::nullopt;
    const QByteArrayList lines = text.chopped(1).split('\n');
    if (lines.size() != fields.size() + 1 || lines.first() != heading)
        return std::nullopt;
    QByteArrayList values;
    for (int i = 0; i < fields.size(); ++i) {
        const QByteArray prefix = fields.at(i) + ": ";
        if (!lines.at(i + 1).startsWith(prefix))
            return std::nullopt;
        values << lines.at(i + 1).mid(prefix.size());
    }
    CatalogueStatement statement;
    statement.sha256 = values.at(0);
    const QByteArray serial = values.at(1);
    // One text per statement: no leading zeros.
    bool isNumber = !serial.isEmpty() && serial.size() <= maxSerialDigits && (serial == "0" || !serial.startsWith('0'));
    for (const char digit : serial)
        isNumber = isNumber && digit >= '0' && digit <= '9';
    statement.serial = isNumber ? serial.toLongLong() : -1;
    statement.expires = utcTime(values.at(2));
    statement.signer = QString::fromLatin1(values.at(3));
    statement.key = values.at(4);
    if (!isHexDigest(statement.sha256) || statement.serial < 0 || !statement.expires.isValid()
        || !isPlainSignerName(statement.signer) || !isHexDigest(statement.key))
        return std::nullopt;
    return statement;
}
