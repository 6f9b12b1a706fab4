#include "app/mainwindow.h"
#include "outside/cryptolibrary.h"
#include "outside/programidentity.h"
#include "outside/programtranslations.h"
#include "outside/settings.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPixmapCache>

#include <cstdio>

namespace {
const char *const usage =
    "Usage: vek-updater [--source DIR|URL] [--metrics-dir DIR] [--station NAME]\n"
    "  or:  vek-updater --help | --version\n";

// The command line's options, described in the language installed by then: made once
// before the application exists, to learn whether only --help or --version is asked
// for, and again once it does, for the texts a person reads.
struct CommandLine
{
    QCommandLineParser parser;
    const QCommandLineOption help{QStringList{"h", "help"}, QCoreApplication::translate("Main", "Shows this help.")};
    const QCommandLineOption version{QStringLiteral("version"), QCoreApplication::translate("Main", "Shows the version.")};
    const QCommandLineOption source{QStringLiteral("source"),
                                    QCoreApplication::translate("Main", "Take the catalogue and the images from DIR, or "
                                                                        "from the https address of a mirror, instead of "
                                                                        "the maker's server."),
                                    QStringLiteral("DIR|URL")};
    // Kept as the station's settings: the window reports to the workshop's monitoring
    // from then on without being asked again.
    const QCommandLineOption metrics{QStringLiteral("metrics-dir"),
                                     QCoreApplication::translate("Main", "Keep the station's metrics in DIR for the node "
                                                                         "exporter's textfile collector (remembered; an "
                                                                         "empty DIR stops it)."),
                                     QStringLiteral("DIR")};
    const QCommandLineOption station{QStringLiteral("station"),
                                     QCoreApplication::translate("Main", "The bench's name in its metrics and journal "
                                                                         "entries (remembered; default: the host name)."),
                                     QStringLiteral("NAME")};
    CommandLine()
    {
        parser.setApplicationDescription(
            QCoreApplication::translate("Main", "Updates the firmware of VEK cameras plugged in by USB, from the "
                                                "maker's server, a mirror of it, or a folder that vek-updater-cli "
                                                "fetch filled."));
        parser.addOptions({help, version, source, metrics, station});
    }
};

// --help or --version, told on standard output.
int answer(const CommandLine &line)
{
    if (line.parser.isSet(line.help))
        // Qt's help opens with a usage line of its own, naming the program by the path it
        // was started by: the usage lines take its place.
        std::printf("%s\n%s", usage, qPrintable(line.parser.helpText().section('\n', 1)));
    else
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
                    qPrintable(QCoreApplication::applicationVersion()));
    return 0;
}
}

int main(int argc, char *argv[])
{
    keepCryptoLibraryForTheProcess();
    setProgramIdentity();
    // A QApplication needs a display, and --help or --version is asked where there may
    // be none (a terminal over ssh, a package build): they are answered before it. Where
    // Qt's own arguments (-platform, -style) are among them, after it.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    CommandLine asked;
    if (asked.parser.parse(arguments) && (asked.parser.isSet(asked.help) || asked.parser.isSet(asked.version))) {
        QCoreApplication withoutDisplay(argc, argv); // for Qt's help text
        installProgramTranslations(withoutDisplay);
        CommandLine told;
        told.parser.parse(arguments);
        return answer(told);
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
    // The style keeps a picture of each progress bar and frame it paints at a new size
    // or value, up to 10 MiB by default: a window left running at a bench all day ended
    // it 5 MiB bigger for pictures that take microseconds to paint again.
    QPixmapCache::setCacheLimit(1024); // KiB
    setProgramIdentity();
    installProgramTranslations(application);
    CommandLine line;
    line.parser.process(application);
    if (line.parser.isSet(line.help) || line.parser.isSet(line.version))
        return answer(line);
    FirmwareSource source;
    if (line.parser.isSet(line.source)) {
        QString why;
        const std::optional<FirmwareSource> given = FirmwareSource::fromArgument(line.parser.value(line.source), &why);
        if (!given) {
            std::fprintf(stderr, "vek-updater: --source: %s\n", qPrintable(why));
            return 64;
        }
        source = *given;
    }
    if (line.parser.isSet(line.metrics))
        workstationSettings()->setValue(QStringLiteral("metrics/folder"), line.parser.value(line.metrics));
    if (line.parser.isSet(line.station))
        workstationSettings()->setValue(QStringLiteral("metrics/station"), line.parser.value(line.station));

    MainWindow window(nullptr, source);
    window.init(); // the window shows once the catalogue is read, or its box closed
    return application.exec();
}
