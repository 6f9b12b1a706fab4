// vek-https-server: serves a directory over HTTPS on 127.0.0.1 with the test
// certificate, for demos and benchmarks. Runs until SIGTERM or SIGINT.

#include "httpsserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int signalPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    const ssize_t ignored = ::write(signalPipe[1], &byte, 1);
    (void)ignored;
}

// A signal handler may do almost nothing; it wakes the event loop through a
// socket pair, and the loop then shuts the server down in order.
bool quitOnTerminationSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return false;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, &QCoreApplication::quit);
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return sigaction(SIGTERM, &action, nullptr) == 0 && sigaction(SIGINT, &action, nullptr) == 0;
}

int failWith(const QString &message)
{
    fprintf(stderr, "vek-https-server: %s\n", qPrintable(message));
    return 1;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vek-https-server"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
            QStringLiteral("Serves the files below a directory over HTTPS on 127.0.0.1."));
    parser.addHelpOption();
    const QCommandLineOption rootOption(QStringLiteral("root"), QStringLiteral("Directory to serve."),
                                        QStringLiteral("DIR"));
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Port to listen on (default: any free one)."),
                                        QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption portFileOption(QStringLiteral("port-file"),
                                            QStringLiteral("File that receives the port."),
                                            QStringLiteral("FILE"));
    const QCommandLineOption certOption(QStringLiteral("cert"),
                                        QStringLiteral("PEM certificate (default: the test one)."),
                                        QStringLiteral("CRT"));
    const QCommandLineOption keyOption(QStringLiteral("key"), QStringLiteral("PEM private key."),
                                       QStringLiteral("KEY"));
    parser.addOptions({rootOption, portOption, portFileOption, certOption, keyOption});
    parser.process(app);

    const QString root = parser.value(rootOption);
    if (root.isEmpty() || !QDir(root).exists())
        return failWith(QStringLiteral("--root must name an existing directory"));
    bool portValid = false;
    const uint port = parser.value(portOption).toUInt(&portValid);
    if (!portValid || port > 65535)
        return failWith(QStringLiteral("--port must be a number from 0 to 65535"));
    if (parser.isSet(certOption) != parser.isSet(keyOption))
        return failWith(QStringLiteral("--cert and --key go together"));
    if (!quitOnTerminationSignals())
        return failWith(QStringLiteral("cannot install the signal handlers"));

    HttpsServer server;
    QString error;
    if (parser.isSet(certOption)
        && !server.useIdentityFiles(parser.value(certOption), parser.value(keyOption), &error))
        return failWith(error);
    server.serveDirectory(root);
    if (!server.startOnPort(quint16(port), &error))
        return failWith(QStringLiteral("cannot listen: ") + error);

    if (parser.isSet(portFileOption)) {
        // Written whole or not at all, so a script polling for it never reads half a number.
        QSaveFile portFile(parser.value(portFileOption));
        if (!portFile.open(QIODevice::WriteOnly)
            || portFile.write(QByteArray::number(server.port()) + '\n') < 0 || !portFile.commit())
            return failWith(QStringLiteral("cannot write the port file: ") + portFile.errorString());
    }
    printf("%u\n", unsigned(server.port()));
    fflush(stdout);

    app.exec();
    server.stop();
    return 0;
}
