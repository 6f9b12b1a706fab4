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
    "  vek-updater-cli [--source URL] fetch DIR [MODEL...]\n"
    "  vek-updater-cli --help | --version\n";

const char *const commands =
    "Commands:\n"
    "  list     one detection pass; every attached camera on a line of its own\n"
    "  update   updates the cameras named, or every attached camera (--all, the\n"
    "           default), side by side; a result line per camera\n"
    "  watch    stays running and updates each camera as it is plugged in, until\n"
    "           Ctrl-C or SIGTERM\n"
    "  history  the record of every update made on this workstation\n"
    "  fetch    copies the catalogue and the images into DIR, for --source DIR\n"
    "\n"
    "A camera is named by the mount point of its card, or adb:SERIAL.\n"
    "\n"
    "Exit status:\n"
    "  0   every camera asked for is updated or already up to date\n"
    "  1   at least one update failed\n"
    "  2   nothing to do: no camera attached, or none matches the ids given\n"
    "  3   the catalogue could not be loaded or read\n"
    "  64  the command line is wrong\n";

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
    const QCommandLineOption metricsFolder(
        QStringLiteral("metrics-dir"),
        QStringLiteral("list, update, watch: keep the station's metrics in DIR/vek-updater-cli.prom for the node "
                       "exporter's textfile collector, after every update and once a minute."),
        QStringLiteral("DIR"));
    const QCommandLineOption stationName(
        QStringLiteral("station"),
        QStringLiteral("list, update, watch: the bench's name in its metrics and journal entries (default: the "
                       "host name)."),
        QStringLiteral("NAME"));
    parser.addOptions({help, version, json, csv, all, since, source, metricsFolder, stationName});
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("list, update, watch, history or fetch."));
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
                                                  {"fetch", CliRequest::Command::Fetch}};
    if (!named.contains(command))
        return refuse("unknown command " + command, exitCode);
    request.command = named.value(command);
    request.json = parser.isSet(json);
    request.csv = parser.isSet(csv);
    using Command = CliRequest::Command;
    const bool takesWords = request.command == Command::Update || request.command == Command::Fetch;
    if (!takesWords && !words.isEmpty())
        return refuse(command + " takes no further words: " + words.join(' '), exitCode);
    if (parser.isSet(all) && (request.command != Command::Update || !words.isEmpty()))
        return refuse(QStringLiteral("--all goes with update, and without camera ids"), exitCode);
    if (request.csv && (request.command != Command::History || request.json))
        return refuse(QStringLiteral("--csv goes with history, and not with --json"), exitCode);
    if (parser.isSet(since) && request.command != Command::History)
        return refuse(QStringLiteral("--since goes with history"), exitCode);
    const bool runsStation = request.command != Command::History && request.command != Command::Fetch;
    if ((parser.isSet(metricsFolder) || parser.isSet(stationName)) && !runsStation)
        return refuse(QStringLiteral("--metrics-dir and --station go with list, update and watch"), exitCode);
    request.metricsFolder = parser.value(metricsFolder);
    request.stationName = parser.value(stationName);
    if (request.command == Command::Fetch && (words.isEmpty() || request.json))
        return refuse(QStringLiteral("fetch needs a folder, and prints no JSON"), exitCode);
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
