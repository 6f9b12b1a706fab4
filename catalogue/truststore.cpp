#include "catalogue/truststore.h"

#include "catalogue/signerkey.h"
#include "outside/privatefolder.h"
#include "outside/regularfile.h"
#include "outside/signing.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QMap>
#include <QSaveFile>
#include <QStandardPaths>

namespace {
const QString keySuffix = QStringLiteral(".pub");
const QString serialsFileName = QStringLiteral("accepted-serials");
// A trust list holds a handful of keys; past these bounds a folder is not read on.
constexpr int maxKeysPerFolder = 100;
constexpr qint64 maxSerialsBytes = 64 * 1024;
constexpr int lockWaitMs = 5000;

void readFolder(const QString &folder, bool systemWide, TrustStore::Keys *read)
{
    const QStringList files = QDir(folder).entryList({'*' + keySuffix}, QDir::Files | QDir::System, QDir::Name);
    for (const QString &file : files.mid(0, maxKeysPerFolder)) {
        const QString path = folder + '/' + file;
        QString why;
        const std::optional<SignerKey> key = readSignerKey(path, &why);
        TrustedKey trusted{file.chopped(keySuffix.size()), key ? key->pem : QByteArray(), {}, systemWide, path};
        trusted.fingerprint = publicKeyFingerprint(trusted.publicPem);
        if (!trusted.fingerprint.isEmpty())
            read->keys << trusted;
        else
            read->unreadable << (key ? path + " holds no Ed25519 public key" : why);
    }
}

// The serials file: a line "FINGERPRINT SERIAL" per key.
QMap<QByteArray, qint64> readSerials(const QString &path)
{
    QMap<QByteArray, qint64> serials;
    QFile file;
    QString why;
    if (!QFileInfo::exists(path) || !openRegularFile(file, path, &why))
        return serials;
    for (const QByteArray &line : file.read(maxSerialsBytes).split('\n')) {
        const QByteArrayList words = line.split(' ');
        bool isNumber = false;
        const qint64 serial = words.value(1).toLongLong(&isNumber);
        if (words.size() == 2 && isNumber)
            serials.insert(words.first(), qMax(serial, serials.value(words.first())));
    }
    return serials;
}
}

QString TrustStore::defaultUserFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QStringLiteral("/trusted-keys");
}

QString TrustStore::defaultSystemFolder()
{
#ifdef Q_OS_WIN
    return qEnvironmentVariable("ProgramData", QStringLiteral("C:/ProgramData"))
           + QStringLiteral("/vek-updater/trusted-keys");
#else
    return QStringLiteral("/etc/vek-updater/trusted-keys");
#endif
}

TrustStore::TrustStore(QString userFolder, QString systemFolder)
    : user(std::move(userFolder)), system(std::move(systemFolder))
{
}

TrustStore::Keys TrustStore::keys() const
{
    Keys read;
    if (QFileInfo(system).isDir())
        readFolder(system, true, &read);
    // Looked into only when it is there: reading makes no folder.
    if (QFileInfo::exists(user) || QFileInfo(user).isSymLink()) {
        if (privateFolder(user).isEmpty())
            read.refusal = QStringLiteral("the trust list %1 is a link or not this user's own folder").arg(user);
        else
            readFolder(user, false, &read);
    }
    return read;
}

bool TrustStore::trust(const QByteArray &publicPem, const QString &name, QString *why) const
{
    const QByteArray fingerprint = publicKeyFingerprint(publicPem);
    if (fingerprint.isEmpty()) {
        *why = QStringLiteral("no Ed25519 public key");
        return false;
    }
    const Keys known = keys();
    if (!known.refusal.isEmpty()) {
        *why = known.refusal;
        return false;
    }
    for (const TrustedKey &key : known.keys) {
        if (key.fingerprint == fingerprint) {
            *why = QStringLiteral("the key is trusted already, as %1 (%2)").arg(key.name, key.file);
            return false;
        }
    }
    const QString path = user + '/' + name + keySuffix;
    if (privateFolder(user).isEmpty()) {
        *why = QStringLiteral("cannot make the trust list %1 a folder of this user's own").arg(user);
        return false;
    }
    QFile file(path);
    const QByteArray text = signerKeyFileText({name, publicPem});
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) || file.write(text) != text.size() || !file.flush()) {
        *why = file.exists() ? QStringLiteral("a key named %1 is trusted already").arg(name)
                             : path + ": " + file.errorString();
        return false;
    }
    return true;
}

qint64 TrustStore::acceptedSerial(const QByteArray &fingerprint) const
{
    return readSerials(user + '/' + serialsFileName).value(fingerprint);
}

bool TrustStore::recordAccepted(const QByteArray &fingerprint, qint64 serial, QString *why) const
{
    if (privateFolder(user).isEmpty()) {
        *why = QStringLiteral("cannot make the trust list %1 a folder of this user's own").arg(user);
        return false;
    }
    const QString path = user + '/' + serialsFileName;
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(lockWaitMs)) {
        *why = "another program holds the lock of " + path;
        return false;
    }
    QMap<QByteArray, qint64> serials = readSerials(path);
    if (serials.value(fingerprint) >= serial)
        return true;
    serials.insert(fingerprint, serial);
    QByteArray text;
    for (auto kept = serials.cbegin(); kept != serials.cend(); ++kept)
        text += kept.key() + ' ' + QByteArray::number(kept.value()) + '\n';
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        *why = path + ": " + file.errorString();
        return false;
    }
    return true;
}
