#include "cli/keyscommand.h"

#include "catalogue/signerkey.h"
#include "catalogue/truststore.h"
#include "cli/cliprinter.h"
#include "cli/exitcodes.h"
#include "outside/signing.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {
// The context the translations of these texts are filed under.
class Words
{
    Q_DECLARE_TR_FUNCTIONS(Keys)
};

// The name asked for, or else the one the key file carries.
QString nameFor(const CliRequest &request, const QString &carried)
{
    return request.keyName.isEmpty() ? carried : request.keyName;
}

int generate(const CliRequest &request)
{
    // The name is settled before a key is made: a file name that is no plain name
    // needs --name.
    const QString name = nameFor(request, signerNameOfFile(request.keyFile));
    if (!isPlainSignerName(name)) {
        CliPrinter::note(Words::tr("keys generate: \"%1\" is no plain name; give one with --name").arg(name));
        return ExitCode::Usage;
    }
    QString why;
    const std::optional<SigningKeyPair> pair = generateSigningKey(&why);
    if (!pair || !writeSignerKeyPair(request.keyFile, name, *pair, &why)) {
        CliPrinter::note("keys generate: " + why);
        return ExitCode::Failed;
    }
    std::printf("%s\n", qPrintable(Words::tr("%1: private key of %2, keep it on the fetching workstation only\n"
                                             "%1.pub: its public key, for vek-updater-cli keys trust on every bench")
                                       .arg(request.keyFile, name)));
    return ExitCode::Done;
}

int trust(const CliRequest &request)
{
    QString why;
    const std::optional<SignerKey> key = readSignerKey(request.keyFile, &why);
    const QString name = key ? nameFor(request, key->name) : QString();
    if (!key || !TrustStore().trust(key->pem, name, &why)) {
        CliPrinter::note("keys trust: " + why);
        return ExitCode::Failed;
    }
    std::printf("%s\n", qPrintable(Words::tr("%1 trusted as %2: --source now takes only folders and mirrors signed "
                                             "by a trusted key")
                                       .arg(request.keyFile, name)));
    return ExitCode::Done;
}

int list(const CliRequest &request)
{
    const TrustStore::Keys read = TrustStore().keys();
    for (const TrustedKey &key : read.keys) {
        const QString scope = key.systemWide ? QStringLiteral("system") : QStringLiteral("user");
        if (request.json)
            std::printf("%s\n", QJsonDocument(QJsonObject{{"name", key.name},
                                                          {"scope", scope},
                                                          {"fingerprint", QString::fromLatin1(key.fingerprint)},
                                                          {"file", key.file}})
                                    .toJson(QJsonDocument::Compact)
                                    .constData());
        else
            std::printf("%s  %s  %s  %s\n", qPrintable(key.name), qPrintable(scope), key.fingerprint.constData(),
                        qPrintable(key.file));
    }
    for (const QString &unreadable : read.unreadable)
        CliPrinter::note(Words::tr("%1: it verifies nothing, but asks for signed folders and mirrors").arg(unreadable));
    if (!read.refusal.isEmpty())
        CliPrinter::note(Words::tr("%1: no folder or mirror can be checked").arg(read.refusal));
    if (!read.signingRequired())
        CliPrinter::note(Words::tr("no key is trusted: folders and mirrors are taken unsigned"));
    return read.refusal.isEmpty() ? ExitCode::Done : ExitCode::Failed;
}
}

int runKeysCommand(const CliRequest &request)
{
    switch (request.keysAction) {
    case CliRequest::KeysAction::Generate:
        return generate(request);
    case CliRequest::KeysAction::Trust:
        return trust(request);
    default:
        return list(request);
    }
}
