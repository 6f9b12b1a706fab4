#include "catalogue/catalogueload.h"

#include "outside/log.h"

#include "catalogue/catalogueparser.h"
#include "catalogue/signedstatement.h"
#include "outside/regularfile.h"
#include "outside/signing.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QFile>

#include <algorithm>

namespace {
// Far beyond any real catalogue; a source holding more than this is not holding one.
constexpr qint64 maxCatalogueBytes = 16 * 1024 * 1024;
constexpr int catalogueDeadlineMs = 60 * 1000;
constexpr int statementDeadlineMs = 20 * 1000;

LoadedCatalogue fromServer(const QUrl &address, const DownloadLimits &limits, const StopFlag &stop)
{
    LoadedCatalogue catalogue;
    DownloadHandlers handlers;
    handlers.take = [&catalogue](const char *data, qint64 size) {
        catalogue.body.append(data, int(size));
        return true;
    };
    const DownloadResult got = httpsGet({address, 0, limits}, handlers, stop);
    if (!got.complete())
        catalogue.failure = got.why;
    return catalogue;
}

LoadedCatalogue fromFolder(const QString &path)
{
    LoadedCatalogue catalogue;
    QFile file;
    if (!openRegularFile(file, path, &catalogue.failure))
        return catalogue;
    catalogue.body = file.read(maxCatalogueBytes + 1);
    if (catalogue.body.size() > maxCatalogueBytes)
        catalogue.failure = path + " is larger than any catalogue";
    return catalogue;
}

// A small file beside the catalogue, by the catalogue's road; a null array, with why,
// when there is none to be had within maxBytes.
QByteArray besideCatalogue(const FirmwareSource &source, const QString &suffix, int maxBytes,
                           const DownloadLimits &catalogue, const StopFlag &stop, QString *why)
{
    const QString location = source.catalogueLocation() + suffix;
    QByteArray bytes;
    if (source.isFolder()) {
        QFile file;
        if (!openRegularFile(file, location, why))
            return QByteArray();
        bytes = file.read(maxBytes + 1);
    } else {
        DownloadLimits limits = catalogue;
        limits.maxBytes = maxBytes;
        limits.deadlineMs = statementDeadlineMs;
        DownloadHandlers handlers;
        handlers.take = [&bytes](const char *data, qint64 size) {
            bytes.append(data, int(size));
            return true;
        };
        const DownloadResult got = httpsGet({QUrl(location), 0, limits}, handlers, stop);
        if (!got.complete()) {
            *why = location + ": " + got.why;
            return QByteArray();
        }
    }
    if (bytes.size() > maxBytes) {
        *why = location + " is larger than any statement or signature";
        return QByteArray();
    }
    return bytes.isNull() ? QByteArray("") : bytes;
}

// What the trust list makes of a folder's or a mirror's catalogue.
struct Verdict
{
    SignatureProblem problem = SignatureProblem::None;
    QString why;     // the sentence that names the problem
    QString signer;
    QByteArray key;  // the trusted key that signed, and its serial to keep
    qint64 serial = 0;
};

// A refusal, with the sentence that names the source and what is wrong with it.
Verdict refused(SignatureProblem problem, const FirmwareSource &source, const QString &what)
{
    const QString from = (source.isFolder() ? "the folder " : "the mirror ") + source.address();
    return {problem, "The catalogue from " + from + ' ' + what, {}, {}, 0};
}

Verdict checkSignature(const FirmwareSource &source, const QByteArray &catalogue, const DownloadLimits &limits,
                       const StopFlag &stop, const TrustStore &trust)
{
    if (source.isBuiltIn())
        return {SignatureProblem::None, {}, QStringLiteral("maker's server"), {}, 0};
    const TrustStore::Keys trusted = trust.keys();
    if (!trusted.signingRequired())
        return {SignatureProblem::None, {}, source.isFolder() ? "unsigned folder" : "unsigned mirror", {}, 0};
    if (!trusted.refusal.isEmpty())
        return refused(SignatureProblem::TrustListRefused, source, "cannot be checked: " + trusted.refusal + '.');

    QString why;
    const QByteArray text = besideCatalogue(source, statementSuffix, maxStatementBytes, limits, stop, &why);
    const QByteArray signature =
        text.isNull() ? QByteArray() : besideCatalogue(source, signatureSuffix, maxSignatureBytes, limits, stop, &why);
    if (signature.isNull())
        return refused(SignatureProblem::Unsigned, source,
                       "is unsigned (" + why + "), and this workstation takes only signed folders and mirrors.");
    const std::optional<CatalogueStatement> statement = parseStatement(text);
    const auto signer = std::find_if(trusted.keys.cbegin(), trusted.keys.cend(), [&](const TrustedKey &key) {
        return signatureMatches(key.publicPem, text, signature);
    });
    if (signer == trusted.keys.cend()) {
        const bool namesTrustedKey =
            statement && std::any_of(trusted.keys.cbegin(), trusted.keys.cend(),
                                     [&](const TrustedKey &key) { return key.fingerprint == statement->key; });
        if (namesTrustedKey)
            return refused(SignatureProblem::Altered, source,
                           "was altered: its statement's signature does not verify.");
        return refused(SignatureProblem::WrongSigner, source,
                       "is signed by no key this workstation trusts (wrong signer"
                           + (statement ? ": " + statement->signer : QString()) + ").");
    }
    if (!statement)
        return refused(SignatureProblem::Altered, source, "was altered: its signed statement cannot be read.");
    if (statement->sha256 != QCryptographicHash::hash(catalogue, QCryptographicHash::Sha256).toHex())
        return refused(SignatureProblem::Altered, source, "was altered: it is not the one its signed statement names.");
    if (QDateTime::currentDateTimeUtc() >= statement->expires)
        return refused(SignatureProblem::Expired, source,
                       "comes with a signed statement that expired on "
                           + statement->expires.toString(Qt::ISODate) + '.');
    const qint64 accepted = trust.acceptedSerial(signer->fingerprint);
    if (statement->serial < accepted)
        return refused(SignatureProblem::RolledBack, source,
                       QStringLiteral("is rolled back: its serial %1 is lower than %2, accepted before from %3.")
                           .arg(statement->serial)
                           .arg(accepted)
                           .arg(signer->name));
    return {SignatureProblem::None, {}, signer->name, signer->fingerprint, statement->serial};
}
}

DownloadLimits catalogueLimits(const DownloadLimits &imageLimits)
{
    DownloadLimits limits = imageLimits;
    limits.maxBytes = maxCatalogueBytes;
    limits.deadlineMs = catalogueDeadlineMs;
    return limits;
}

LoadedCatalogue loadCatalogue(const FirmwareSource &source, const DownloadLimits &limits, const StopFlag &stop,
                              const TrustStore &trust)
{
    LoadedCatalogue catalogue = source.isFolder() ? fromFolder(source.catalogueLocation())
                                                  : fromServer(QUrl(source.catalogueLocation()), limits, stop);
    if (!catalogue.failure.isEmpty())
        return catalogue;
    // Checked before it is parsed: while signing is on, no unsigned bytes reach the parser.
    const Verdict verdict = checkSignature(source, catalogue.body, limits, stop, trust);
    if (verdict.problem != SignatureProblem::None) {
        catalogue.signatureProblem = verdict.problem;
        catalogue.failure = verdict.why;
        return catalogue;
    }
    catalogue.signer = verdict.signer;
    if (const auto entries = catalogueEntries(catalogue.body)) {
        catalogue.entries = *entries;
        catalogue.loaded = true;
    } else {
        catalogue.failure = QStringLiteral("the catalogue holds no JSON object with members");
        return catalogue;
    }
    QString why;
    if (!verdict.key.isEmpty() && !trust.recordAccepted(verdict.key, verdict.serial, &why))
        qCWarning(catalogueLog).noquote() << "The serial accepted from" << verdict.signer << "cannot be kept:" << why;
    return catalogue;
}
