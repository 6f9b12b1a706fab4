#include "catalogue/signerkey.h"

#include "outside/regularfile.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
const QByteArray nameLine = QByteArrayLiteral("Signer: ");
constexpr int maxNameLength = 64;
// Far beyond an Ed25519 key's PEM and its name line.
constexpr qint64 maxKeyFileBytes = 8 * 1024;

bool writeNew(const QString &path, const QByteArray &text, QFileDevice::Permissions permissions, QString *why)
{
    // NewOnly: a key already there is never overwritten, and a link standing in its
    // place is not followed. Access is narrowed before any byte of the key is written.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) || !file.setPermissions(permissions)
        || file.write(text) != text.size() || !file.flush()) {
        *why = path + ": " + file.errorString();
        if (file.isOpen())
            file.remove();
        return false;
    }
    return true;
}
}

bool isPlainSignerName(const QString &name)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_-]([A-Za-z0-9 ._-]*[A-Za-z0-9_-])?$"));
    static const QRegularExpression device(QStringLiteral("^(con|prn|aux|nul|com[0-9]|lpt[0-9])(\\.|$)"),
                                           QRegularExpression::CaseInsensitiveOption);
    return name.size() <= maxNameLength && plain.match(name).hasMatch() && !device.match(name).hasMatch();
}

QString signerNameOfFile(const QString &path)
{
    return QFileInfo(path).fileName().section('.', 0, 0);
}

QByteArray signerKeyFileText(const SignerKey &key)
{
    return nameLine + key.name.toLatin1() + '\n' + key.pem;
}

std::optional<SignerKey> readSignerKey(const QString &path, QString *why)
{
    QFile file;
    if (!openRegularFile(file, path, why))
        return std::nullopt;
    SignerKey key;
    key.pem = file.read(maxKeyFileBytes + 1);
    if (key.pem.size() > maxKeyFileBytes) {
        *why = path + " is larger than any key file";
        return std::nullopt;
    }
    if (key.pem.startsWith(nameLine)) {
        const int end = key.pem.indexOf('\n');
        key.name = QString::fromLatin1(key.pem.mid(nameLine.size(), end - nameLine.size()).trimmed());
        key.pem.remove(0, end < 0 ? key.pem.size() : end + 1);
    } else {
        key.name = signerNameOfFile(path);
    }
    if (!isPlainSignerName(key.name)) {
        *why = QStringLiteral("%1: the signer's name \"%2\" is not plain (letters, digits, '-', '_', '.', "
                              "blanks inside)")
                   .arg(path, key.name);
        return std::nullopt;
    }
    return key;
}

bool writeSignerKeyPair(const QString &path, const QString &name, const SigningKeyPair &pair, QString *why)
{
    const QString publicPath = path + QStringLiteral(".pub");
    if (QFileInfo::exists(publicPath) || QFileInfo(publicPath).isSymLink()) {
        *why = publicPath + " is there already";
        return false;
    }
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (!writeNew(path, signerKeyFileText({name, pair.privatePem}), ownerOnly, why))
        return false;
    if (!writeNew(publicPath, signerKeyFileText({name, pair.publicPem}),
                  ownerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther, why)) {
        QFile::remove(path);
        return false;
    }
    return true;
}
