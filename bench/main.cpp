// vek-bench: measures the updater against what a technician could do by hand and
// against the targets it is built to meet, and prints the figures as a table of
// ratios measured in this one run. Run through bench/run, which builds it first.

#include "benchmarks.h"
#include "benchsite.h"
#include "httpsserver.h"
#include "mountsandbox.h"
#include "resulttable.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cstdio>

namespace {
void say(const QString &line)
{
    fprintf(stderr, "vek-bench: %s\n", qPrintable(line));
}

// The offscreen platform warns of every dialog it cannot size; nothing else is dropped.
QtMessageHandler standardHandler = nullptr;
void quietOffscreenWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (!message.contains(QLatin1String("does not support propagateSizeHints")))
        standardHandler(type, context, message);
}
}

int main(int argc, char *argv[])
{
    // Before any thread exists: the cards are mounted in a namespace of this process.
    QString whyNoMounts;
    const bool mounts = MountSandbox::enter(&whyNoMounts);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    standardHandler = qInstallMessageHandler(quietOffscreenWarnings);
    QApplication app(argc, argv);
    HttpsServer::trustTestCertificate();
    if (isMemoryProbe(app.arguments()))
        return runMemoryProbe(app.arguments().mid(2));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Benchmarks of vek-updater's installs."));
    parser.addHelpOption();
    const QCommandLineOption scratchOption("scratch", "Folder on disk for images and card files; emptied when an earlier run made it.", "DIR");
    const QCommandLineOption repeatsOption("repeats", "Timed repetitions per case (default 5).", "N", "5");
    const QCommandLineOption markdownOption("markdown", "Also write the table as Markdown to FILE.", "FILE");
    const QCommandLineOption onlyOption("only", "Run only these, comma-separated: digest, install, memory, polling, fleet, requests, soak.",
                                        "NAMES", "digest,install,memory,polling,fleet,requests,soak");
    parser.addOptions({scratchOption, repeatsOption, markdownOption, onlyOption});
    parser.process(app);
    if (!parser.isSet(scratchOption)) {
        say("--scratch is required");
        return 2;
    }
    if (!mounts) {
        say("cannot run here: no private mount namespace for the cards: " + whyNoMounts);
        return 77;
    }
    const int repeats = qMax(1, parser.value(repeatsOption).toInt());

    BenchSite site(parser.value(scratchOption));
    QString error;
    say("preparing images, cards and the server in " + parser.value(scratchOption));
    if (!site.prepare(&error)) {
        say("cannot prepare: " + error);
        return 1;
    }

    const QStringList chosen = parser.value(onlyOption).split(',');
    ResultTable table;
    // Each group starts with a server, even when another program on the machine ended it.
    const auto serving = [&] {
        if (site.keepServing(&error))
            return true;
        say("cannot start the HTTPS server again: " + error);
        return false;
    };
    if (chosen.contains("digest") && serving()) {
        say("SHA-256 throughput");
        benchDigest(site, table, repeats);
    }
    if (chosen.contains("install") && serving()) {
        say("install time against curl + sha256sum + cp + sync");
        benchInstallTime(site, table, repeats);
        say("receiving alone: Qt's HTTPS client against curl");
        benchReceiveOnly(site, table, repeats);
    }
    if (chosen.contains("memory") && serving()) {
        say("peak memory");
        benchPeakMemory(site, table);
    }
    if (chosen.contains("polling") && serving()) {
        say("16 cameras watched: GUI stalls, CPU time, adb processes, how soon a camera appears; stalls while installing");
        benchPolling(site, table);
    }
    if (chosen.contains("fleet") && serving()) {
        say("Update All over cards at 20 MB/s and over adb, against one camera alone");
        benchFleet(site, table, repeats);
    }
    if (chosen.contains("requests") && serving()) {
        say("server requests for two cameras of one model");
        benchRequestCount(site, table);
    }
    if (chosen.contains("soak")) {
        say("a day in minutes: vek-updater-cli watch over 2000 cards and 500 adb devices");
        benchSoak(site, table);
    }

    QTextStream out(stdout);
    out << "\nMachine: " << machineDescription() << "\n\n" << table.text();
    out.flush();
    if (parser.isSet(markdownOption)) {
        QFile file(parser.value(markdownOption));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(("Machine: " + machineDescription() + "\n\n" + table.markdown()).toUtf8());
    }
    return table.allMet() ? 0 : 3;
}
