#include "cli/commandline.h"

#include "cli/exitcodes.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QMap>

#include <cstdio>

namespace {
const char *const usage =
    "Usage:\n"
    "  vek-updater-cli [--json] [--source DIR|URL] list\n"
    "  vek-updater-cli [--json] [--source DIR|URL] update [--all | CAMERA...]\n"
    "  vek-updater-cli [--json] [--source DIR|URL] watch\n"
    "  vek-updater-cli [--json | --csv] history [--since DATE]\n"
    "  vek-updater-cli [--source URL] fetch DIR [MODEL...] [--sign KEYFILE [--expires DAYS]]\n"
    "  vek-updater-cli keys generate FILE [--name NAME]\n"
    "  vek-updater-cli keys trust PUBFILE [--name NAME]\n"
    "  vek-updater-cli [--json] keys list\n"
    "  vek-updater-cli --help | --version\n";

const char *const commands =
    "Commands:\n"
    "  list     one detection pass; every attached camera on a line of its own\n"
    "  update   updates the cameras named, or every attached camera (--all, the\n"
    "           default), side by side; a result line per camera\n"
    "  watch    stays running and updates each camera as it is plugged in, until\n"
    "           Ctrl-C or SIGTERM\n"
    "  history  the record of every update made on this workstation\n"
    "  fetch    copies the catalogue and the images into DIR, for --source DIR;\n"
    "           --sign adds a statement of the catalogue signed with the key\n"
    "  keys     generate makes a signing key pair, FILE and FILE.pub; trust adds a\n"
    "           public key to this workstation's trust list; list shows the list.\n"
    "           Once a key is trusted, --source takes only folders and mirrors that\n"
    "           carry a statement signed by one\n"
    "\n"
    "A camera is named by the mount point of its card, or adb:SERIAL.\n"
    "\n"
    "Exit status:\n"
    "  0   every camera asked for is updated or already up to date\n"
    "  1   at least one update failed\n"
    "  2   nothing to do: no camera attached, or none matches the ids given\n"
    "  3   the catalogue could not be loaded or read, or its signature is refused\n"
    "  64  the command line is wrong\n";

// keys generate FILE | keys trust PUBFILE | keys list; false when the words or the name
// do not fit.
bool keysRequest(const QStringList &words, const QString &name, CliRequest *request)
{
    using Action = CliRequest::KeysAction;
    const QMap<QString, Action> actions{
        {"generate", Action::Generate}, {"trust", Action::Trust}, {"list", Action::List}};
    if (words.isEmpty() || !actions.contains(words.first()))
        return false;
    request->keysAction = actions.value(words.first());
    const bool list = request->keysAction == Action::List;
    if (words.size() != (list ? 1 : 2) || (list && !name.isNull()) || (!list && request->json)
        || (!name.isNull() && !isPlainSignerName(name)))
        return false;
    request->keyFile = words.value(1);
    request->keyName = name;
    return true;
}

std::optional<CliRequest> refuse(const QString &why, int *exitCode)
{
    std::fprintf(stderr, "vek-updater-cli: %s\n%s", qPrintable(why), usage);
    *exitCode = ExitCode::Usage;
    return std::nullopt;
}
}

std::optional<CliRequest> parseCommandLine(const QStringList &arguments, int *exitCode)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Updates the firmware of VEK cameras plugged in by USB, "
                                                    "for scripted stations.\n\n")
                                     + QString::fromLatin1(usage) + '\n' + QString::fromLatin1(commands));
    const QCommandLineOption help(QStringList{"h", "help"}, QStringLiteral("Shows this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Shows the version."));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("JSON Lines on standard output, and nothing else there."));
    const QCommandLineOption csv(QStringLiteral("csv"), QStringLiteral("history: comma-separated values."));
    const QCommandLineOption all(QStringLiteral("all"), QStringLiteral("update: every attached camera."));
    const QCommandLineOption since(QStringLiteral("since"),
                                   QStringLiteral("history: records from DATE on (YYYY-MM-DD, or ISO 8601)."),
                                   QStringLiteral("DATE"));
    const QCommandLineOption source(QStringLiteral("source"),
                                    QStringLiteral("Take the catalogue and the images from DIR, or from the https "
                                                   "address of a mirror, instead of the maker's server."),
                                    QStringLiteral("DIR|URL"));
    const QCommandLineOption sign(QStringLiteral("sign"),
                                  QStringLiteral("fetch: sign the folder with the private key in KEYFILE."),
                                  QStringLiteral("KEYFILE"));
    const QCommandLineOption expires(QStringLiteral("expires"),
                                     QStringLiteral("fetch --sign: the statement holds for DAYS days (%1).")
                                         .arg(defaultStatementDays),
                                     QStringLiteral("DAYS"));
    const QCommandLineOption name(QStringLiteral("name"),
                                  QStringLiteral("keys generate, keys trust: the signer's name (the file's name)."),
                                  QStringLiteral("NAME"));
    parser.addOptions({help, version, json, csv, all, since, source, sign, expires, name});
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("list, update, watch, history, fetch or keys."));
    if (!parser.parse(arguments))
        return refuse(parser.errorText(), exitCode);
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        *exitCode = ExitCode::Done;
        return std::nullopt;
    }
    if (parser.isSet(version)) {
        std::printf("vek-updater-cli %s\n", qPrintable(QCoreApplication::applicationVersion()));
        *exitCode = ExitCode::Done;
        return std::nullopt;
    }
    QStringList words = parser.positionalArguments();
    if (words.isEmpty())
        return refuse(QStringLiteral("no command given"), exitCode);
    CliRequest request;
    const QString command = words.takeFirst();
    const QMap<QString, CliRequest::Command> named{{"list", CliRequest::Command::List},
                                                  {"update", CliRequest::Command::Update},
                                                  {"watch", CliRequest::Command::Watch},
                                                  {"history", CliRequest::Command::History},
                                                  {"fetch", CliRequest::Command::Fetch},
                                                  {"keys", CliRequest::Command::Keys}};
    if (!named.contains(command))
        return refuse("unknown command " + command, exitCode);
    request.command = named.value(command);
    request.json = parser.isSet(json);
    request.csv = parser.isSet(csv);
    using Command = CliRequest::Command;
    const bool takesWords = request.command == Command::Update || request.command == Command::Fetch
                            || request.command == Command::Keys;
    if (!takesWords && !words.isEmpty())
        return refuse(command + " takes no further words: " + words.join(' '), exitCode);
    if (parser.isSet(all) && (request.command != Command::Update || !words.isEmpty()))
        return refuse(QStringLiteral("--all goes with update, and without camera ids"), exitCode);
    if (request.csv && (request.command != Command::History || request.json))
        return refuse(QStringLiteral("--csv goes with history, and not with --json"), exitCode);
    if (parser.isSet(since) && request.command != Command::History)
        return refuse(QStringLiteral("--since goes with history"), exitCode);
    if (request.command == Command::Fetch && (words.isEmpty() || request.json))
        return refuse(QStringLiteral("fetch needs a folder, and prints no JSON"), exitCode);
    if ((parser.isSet(sign) || parser.isSet(expires)) && request.command != Command::Fetch)
        return refuse(QStringLiteral("--sign and --expires go with fetch"), exitCode);
    if (parser.isSet(expires) && !parser.isSet(sign))
        return refuse(QStringLiteral("--expires goes with --sign"), exitCode);
    if (parser.isSet(name) && request.command != Command::Keys)
        return refuse(QStringLiteral("--name goes with keys generate and keys trust"), exitCode);
    const QString keyName = parser.isSet(name) ? parser.value(name) : QString();
    if (request.command == Command::Keys && !keysRequest(words, keyName, &request))
        return refuse(QStringLiteral("keys: generate FILE, trust PUBFILE (either with a plain --name), or list "
                                     "(the only one with --json)"),
                      exitCode);
    if (parser.isSet(sign)) {
        bool isNumber = false;
        request.signing.keyFile = parser.value(sign);
        request.signing.days = parser.isSet(expires) ? parser.value(expires).toInt(&isNumber) : defaultStatementDays;
        if (parser.isSet(expires) && (!isNumber || request.signing.days < 1 || request.signing.days > maxStatementDays))
            return refuse(QStringLiteral("--expires: a number of days from 1 to %1").arg(maxStatementDays), exitCode);
    }
    if (request.command == Command::Update)
        request.cameras = words;
    if (request.command == Command::Fetch) {
        request.folder = words.takeFirst();
        request.models = words;
    }
    if (parser.isSet(since)) {
        const QString value = parser.value(since);
        request.since = QDateTime::fromString(value, Qt::ISODate);
        if (!request.since.isValid())
            request.since = QDateTime(QDate::fromString(value, Qt::ISODate), QTime(0, 0), Qt::UTC);
        if (!request.since.isValid())
            return refuse("--since: not a date: " + value, exitCode);
    }
    if (parser.isSet(source)) {
        QString why;
        const std::optional<FirmwareSource> given = FirmwareSource::fromArgument(parser.value(source), &why);
        if (!given)
            return refuse("--source: " + why, exitCode);
        request.source = *given;
    }
    return request;
}
