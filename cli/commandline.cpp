#include "cli/commandline.h"

#include "cli/exitcodes.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QMap>
#include <QRegularExpression>

#include <cstdio>

namespace {
// The context the translations of these texts are filed under.
class Words
{
    Q_DECLARE_TR_FUNCTIONS(CommandLine)
};

// The usage lines as GNU programs write them, which help2man turns into the manual
// page's synopsis, a line each.
const char *const usage =
    "Usage: vek-updater-cli [--json] [--source DIR|URL] list\n"
    "  or:  vek-updater-cli [--json] [--source DIR|URL] update [--all | CAMERA...]\n"
    "  or:  vek-updater-cli [--json] [--source DIR|URL] watch\n"
    "  or:  vek-updater-cli [--json | --csv] history [--since DATE]\n"
    "  or:  vek-updater-cli [--source URL] fetch DIR [MODEL...] [--sign KEYFILE [--expires DAYS]]\n"
    "  or:  vek-updater-cli keys generate FILE [--name NAME]\n"
    "  or:  vek-updater-cli keys trust PUBFILE [--name NAME]\n"
    "  or:  vek-updater-cli [--json] keys list\n"
    "  or:  vek-updater-cli [--json] slots\n"
    "  or:  vek-updater-cli slots name PORTPATH NAME\n"
    "  or:  vek-updater-cli --help | --version\n";

const char *const commands = QT_TRANSLATE_NOOP("CommandLine",
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
    "  slots    the names given to USB slots; name gives the slot at PORTPATH (as\n"
    "           list shows it, e.g. 1-4.3) a name, shown wherever its camera is\n"
    "           told (an empty NAME forgets it)\n"
    "\n"
    "A camera is named by the mount point of its card, or adb:SERIAL.\n"
    "\n"
    "Exit status:\n"
    "  0    every camera asked for is updated or already up to date\n"
    "  1    at least one update failed\n"
    "  2    nothing to do: no camera attached, or none matches the ids given\n"
    "  3    the catalogue could not be loaded or read, or its signature is refused\n"
    "  64   the command line is wrong\n"
    "  130  update: Ctrl-C (SIGINT) stopped it\n"
    "  143  update: SIGTERM stopped it\n");

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
    std::fprintf(stderr, "vek-updater-cli: %s\nvek-updater-cli: %s\n", qPrintable(why),
                 qPrintable(Words::tr("see vek-updater-cli --help")));
    *exitCode = ExitCode::Usage;
    return std::nullopt;
}

// YYYY-MM-DD, the start of that day in UTC; or an ISO 8601 date and time with Z or its
// offset from UTC (2026-12-07T15:00Z, 2026-12-07T15:00:30.250+01:00). Anything else,
// a part out of its range included, is no time.
std::optional<QDateTime> sinceTime(const QString &value)
{
    static const QRegularExpression pattern(QStringLiteral(
        "^([0-9]{4}-[0-9]{2}-[0-9]{2})"
        "(?:T([0-9]{2}):([0-9]{2})(?::([0-9]{2})(?:[.,]([0-9]{1,9}))?)?(?:Z|([+-])([0-9]{2}):?([0-9]{2})))?$"));
    const QRegularExpressionMatch match = pattern.match(value);
    const QDate date = QDate::fromString(match.captured(1), Qt::ISODate);
    if (!match.hasMatch() || !date.isValid())
        return std::nullopt;
    if (match.captured(2).isEmpty())
        return QDateTime(date, QTime(0, 0), Qt::UTC);
    const QTime time(match.captured(2).toInt(), match.captured(3).toInt(), match.captured(4).toInt(),
                     match.captured(5).leftJustified(3, '0').left(3).toInt());
    // Offsets in use run from -12:00 to +14:00.
    const int offsetHours = match.captured(7).toInt(), offsetMinutes = match.captured(8).toInt();
    if (!time.isValid() || offsetHours > 14 || offsetMinutes > 59)
        return std::nullopt;
    const int offsetSeconds = (match.captured(6) == "-" ? -1 : 1) * (offsetHours * 3600 + offsetMinutes * 60);
    return QDateTime(date, time, Qt::UTC).addSecs(-offsetSeconds);
}
}

std::optional<CliRequest> parseCommandLine(const QStringList &arguments, int *exitCode)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(Words::tr("Updates the firmware of VEK cameras plugged in by USB, for scripted "
                                               "stations.")
                                     + "\n\n" + Words::tr(commands).trimmed());
    const QCommandLineOption help(QStringList{"h", "help"}, Words::tr("Shows this help."));
    const QCommandLineOption version(QStringLiteral("version"), Words::tr("Shows the version."));
    const QCommandLineOption json(QStringLiteral("json"),
                                  Words::tr("JSON Lines on standard output, and nothing else there."));
    const QCommandLineOption csv(QStringLiteral("csv"), Words::tr("history: comma-separated values."));
    const QCommandLineOption all(QStringLiteral("all"), Words::tr("update: every attached camera."));
    const QCommandLineOption since(QStringLiteral("since"),
                                   Words::tr("history: records from DATE on: YYYY-MM-DD (UTC), or an ISO "
                                                  "8601 time with Z or an offset, as 2026-12-07T15:00+01:00."),
                                   QStringLiteral("DATE"));
    const QCommandLineOption source(QStringLiteral("source"),
                                    Words::tr("Take the catalogue and the images from DIR, or from the https "
                                                   "address of a mirror, instead of the maker's server."),
                                    QStringLiteral("DIR|URL"));
    const QCommandLineOption metricsFolder(
        QStringLiteral("metrics-dir"),
        Words::tr("list, update, watch: keep the station's metrics in DIR/vek-updater-cli.prom for the node "
                       "exporter's textfile collector, after every update and once a minute."),
        QStringLiteral("DIR"));
    const QCommandLineOption stationName(
        QStringLiteral("station"),
        Words::tr("list, update, watch: the bench's name in its metrics and journal entries (default: the "
                       "host name)."),
        QStringLiteral("NAME"));
    const QCommandLineOption sign(QStringLiteral("sign"),
                                  Words::tr("fetch: sign the folder with the private key in KEYFILE."),
                                  QStringLiteral("KEYFILE"));
    const QCommandLineOption expires(QStringLiteral("expires"),
                                     Words::tr("fetch --sign: the statement holds for DAYS days (%1).")
                                         .arg(defaultStatementDays),
                                     QStringLiteral("DAYS"));
    const QCommandLineOption name(QStringLiteral("name"),
                                  Words::tr("keys generate, keys trust: the signer's name (the file's name)."),
                                  QStringLiteral("NAME"));
    parser.addOptions({help, version, json, csv, all, since, source, metricsFolder, stationName, sign, expires, name});
    parser.addPositionalArgument(QStringLiteral("command"),
                                 Words::tr("list, update, watch, history, fetch, keys or slots."));
    if (!parser.parse(arguments))
        return refuse(parser.errorText(), exitCode);
    if (parser.isSet(help)) {
        // Qt's help opens with a usage line of its own, naming the program by the path
        // it was started by: the usage lines take its place.
        std::printf("%s\n%s", usage, qPrintable(parser.helpText().section('\n', 1)));
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
        return refuse(Words::tr("no command given"), exitCode);
    CliRequest request;
    const QString command = words.takeFirst();
    const QMap<QString, CliRequest::Command> named{{"list", CliRequest::Command::List},
                                                  {"update", CliRequest::Command::Update},
                                                  {"watch", CliRequest::Command::Watch},
                                                  {"history", CliRequest::Command::History},
                                                  {"fetch", CliRequest::Command::Fetch},
                                                  {"keys", CliRequest::Command::Keys},
                                                  {"slots", CliRequest::Command::Slots}};
    if (!named.contains(command))
        return refuse(Words::tr("unknown command %1").arg(command), exitCode);
    request.command = named.value(command);
    request.json = parser.isSet(json);
    request.csv = parser.isSet(csv);
    using Command = CliRequest::Command;
    const bool takesWords = request.command == Command::Update || request.command == Command::Fetch
                            || request.command == Command::Keys || request.command == Command::Slots;
    if (!takesWords && !words.isEmpty())
        return refuse(Words::tr("%1 takes no further words: %2").arg(command, words.join(' ')), exitCode);
    if (parser.isSet(all) && (request.command != Command::Update || !words.isEmpty()))
        return refuse(Words::tr("--all goes with update, and without camera ids"), exitCode);
    if (request.csv && (request.command != Command::History || request.json))
        return refuse(Words::tr("--csv goes with history, and not with --json"), exitCode);
    if (parser.isSet(since) && request.command != Command::History)
        return refuse(Words::tr("--since goes with history"), exitCode);
    const bool runsStation = request.command == Command::List || request.command == Command::Update
                             || request.command == Command::Watch;
    if ((parser.isSet(metricsFolder) || parser.isSet(stationName)) && !runsStation)
        return refuse(Words::tr("--metrics-dir and --station go with list, update and watch"), exitCode);
    request.metricsFolder = parser.value(metricsFolder);
    request.stationName = parser.value(stationName);
    if (request.command == Command::Fetch && (words.isEmpty() || request.json))
        return refuse(Words::tr("fetch needs a folder, and prints no JSON"), exitCode);
    if ((parser.isSet(sign) || parser.isSet(expires)) && request.command != Command::Fetch)
        return refuse(Words::tr("--sign and --expires go with fetch"), exitCode);
    if (parser.isSet(expires) && !parser.isSet(sign))
        return refuse(Words::tr("--expires goes with --sign"), exitCode);
    if (parser.isSet(name) && request.command != Command::Keys)
        return refuse(Words::tr("--name goes with keys generate and keys trust"), exitCode);
    const QString keyName = parser.isSet(name) ? parser.value(name) : QString();
    if (request.command == Command::Keys && !keysRequest(words, keyName, &request))
        return refuse(Words::tr("keys: generate FILE, trust PUBFILE (either with a plain --name), or list "
                                     "(the only one with --json)"),
                      exitCode);
    if (parser.isSet(sign)) {
        bool isNumber = false;
        request.signing.keyFile = parser.value(sign);
        request.signing.days = parser.isSet(expires) ? parser.value(expires).toInt(&isNumber) : defaultStatementDays;
        if (parser.isSet(expires) && (!isNumber || request.signing.days < 1 || request.signing.days > maxStatementDays))
            return refuse(Words::tr("--expires: a number of days from 1 to %1").arg(maxStatementDays), exitCode);
    }
    if (request.command == Command::Slots) {
        if (!words.isEmpty() && (words.size() != 3 || words.first() != QLatin1String("name") || request.json))
            return refuse(Words::tr("slots: name PORTPATH NAME, or nothing to list them (the only one with --json)"),
                          exitCode);
        request.slotPath = words.value(1);
        request.slotName = words.value(2);
    }
    if (request.command == Command::Update)
        request.cameras = words;
    if (request.command == Command::Fetch) {
        request.folder = words.takeFirst();
        request.models = words;
    }
    if (parser.isSet(since)) {
        const std::optional<QDateTime> time = sinceTime(parser.value(since));
        if (!time)
            return refuse(Words::tr("--since: not a date, nor a time with Z or an offset: %1").arg(parser.value(since)),
                          exitCode);
        request.since = *time;
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
