#include "app/mainwindow.h"
#include "outside/cryptolibrary.h"
#include "outside/programidentity.h"
#include "outside/settings.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

namespace {
const char *const usage =
    "Usage: vek-updater [--source DIR|URL] [--metrics-dir DIR] [--station NAME]\n"
    "  or:  vek-updater --help | --version\n";

// --help or --version, told on standard output; false when neither was asked for.
bool answered(const QCommandLineParser &parser, const QCommandLineOption &help, const QCommandLineOption &version)
{
    if (parser.isSet(help))
        // Qt's help opens with a usage line of its own, naming the program by the path it
        // was started by: the usage lines take its place.
        std::printf("%s\n%s", usage, qPrintable(parser.helpText().section('\n', 1)));
    else if (parser.isSet(version))
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
                    qPrintable(QCoreApplication::applicationVersion()));
    else
        return false;
    return true;
}
}

int main(int argc, char *argv[])
{
    keepCryptoLibraryForTheProcess();
    setProgramIdentity();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Updates the firmware of VEK cameras plugged in by USB, from the maker's server, a mirror "
                       "of it, or a folder that vek-updater-cli fetch filled."));
    const QCommandLineOption help(QStringList{"h", "help"}, QStringLiteral("Shows this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Shows the version."));
    const QCommandLineOption sourceOption(QStringLiteral("source"),
                                          QStringLiteral("Take the catalogue and the images from DIR, or from the "
                                                         "https address of a mirror, instead of the maker's server."),
                                          QStringLiteral("DIR|URL"));
    // Kept as the station's settings: the window reports to the workshop's monitoring
    // from then on without being asked again.
    const QCommandLineOption metricsOption(QStringLiteral("metrics-dir"),
                                           QStringLiteral("Keep the station's metrics in DIR for the node exporter's "
                                                          "textfile collector (remembered; an empty DIR stops it)."),
                                           QStringLiteral("DIR"));
    const QCommandLineOption stationOption(QStringLiteral("station"),
                                           QStringLiteral("The bench's name in its metrics and journal entries "
                                                          "(remembered; default: the host name)."),
                                           QStringLiteral("NAME"));
    parser.addOptions({help, version, sourceOption, metricsOption, stationOption});
    // A QApplication needs a display, and --help or --version is asked where there may
    // be none (a terminal over ssh, a package build): they are answered before it. Where
    // Qt's own arguments (-platform, -style) are among them, after it.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (parser.parse(arguments) && (parser.isSet(help) || parser.isSet(version))) {
        const QCoreApplication withoutDisplay(argc, argv); // for Qt's help text
        return answered(parser, help, version) ? 0 : 1;
    }

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // The form's geometry is fixed in pixels, while fonts follow the screen's DPI. Qt 6
    // always scales the window by the screen's factor (Windows' 150 %, 200 %); Qt 5 does
    // only when asked, and otherwise draws large text in a small fixed window that cuts
    // it off. Asking makes both draw the same window, icons included.
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
#endif
    // Qt 6's default; Qt 5 would round 150 % up to 200 % and the window would not fit
    // where Qt 6's does.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication application(argc, argv);
    setProgramIdentity();
    parser.process(application);
    if (answered(parser, help, version))
        return 0;
    FirmwareSource source;
    if (parser.isSet(sourceOption)) {
        QString why;
        const std::optional<FirmwareSource> given = FirmwareSource::fromArgument(parser.value(sourceOption), &why);
        if (!given) {
            std::fprintf(stderr, "vek-updater: --source: %s\n", qPrintable(why));
            return 64;
        }
        source = *given;
    }
    if (parser.isSet(metricsOption))
        workstationSettings()->setValue(QStringLiteral("metrics/folder"), parser.value(metricsOption));
    if (parser.isSet(stationOption))
        workstationSettings()->setValue(QStringLiteral("metrics/station"), parser.value(stationOption));

    MainWindow window(nullptr, source);
    window.init(); // the window shows once the catalogue is read, or its box closed
    return application.exec();
}
