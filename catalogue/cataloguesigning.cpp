#include "catalogue/cataloguesigning.h"

#include "catalogue/firmwaresource.h"
#include "outside/signing.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QSaveFile>

namespace {
bool replaceFile(const QString &path, const QByteArray &bytes, QString *why)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *why = path + ": " + file.errorString();
        return false;
    }
    return true;
}
}

bool writeSignedStatement(const QString &catalogueFile, CatalogueStatement statement, const SignerKey &key,
                          QString *why)
{
    statement.key = fingerprintOfPrivateKey(key.pem);
    const QByteArray text = statementText(statement);
    QString refusal;
    const QByteArray signature = signMessage(key.pem, text, &refusal);
    if (signature.isEmpty()) {
        *why = key.name + ": " + refusal;
        return false;
    }
    return replaceFile(catalogueFile + signatureSuffix, signature, why)
           && replaceFile(catalogueFile + statementSuffix, text, why);
}

bool signFetchedCatalogue(const QString &folder, const QByteArray &catalogue, const FolderSigning &signing,
                          QString *why)
{
    const QString catalogueFile = QDir(folder).filePath(catalogueFileName);
    if (signing.keyFile.isEmpty()) {
        for (const QString &suffix : {statementSuffix, signatureSuffix}) {
            if (QFileInfo::exists(catalogueFile + suffix) && !QFile::remove(catalogueFile + suffix)) {
                *why = "cannot remove " + catalogueFile + suffix;
                return false;
            }
        }
        return true;
    }
    const std::optional<SignerKey> key = readSignerKey(signing.keyFile, why);
    if (!key)
        return false;
    if (fingerprintOfPrivateKey(key->pem).isEmpty()) {
        *why = signing.keyFile + " holds no unencrypted Ed25519 private key";
        return false;
    }
    const QDateTime now = QDateTime::currentDateTimeUtc();
    CatalogueStatement statement;
    statement.sha256 = QCryptographicHash::hash(catalogue, QCryptographicHash::Sha256).toHex();
    statement.serial = now.toSecsSinceEpoch();
    statement.expires = now.addDays(signing.days);
    statement.signer = key->name;
    return writeSignedStatement(catalogueFile, statement, *key, why);
}
