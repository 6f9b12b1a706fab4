#include "app/mainwindow.h"
#include "outside/programidentity.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

int main(int argc, char *argv[])
{
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

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Updates the firmware of VEK cameras plugged in by USB, from the maker's server, a mirror "
                       "of it, or a folder that vek-updater-cli fetch filled."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption sourceOption(QStringLiteral("source"),
                                          QStringLiteral("Take the catalogue and the images from DIR, or from the "
                                                         "https address of a mirror, instead of the maker's server."),
                                          QStringLiteral("DIR|URL"));
    parser.addOption(sourceOption);
    parser.process(application);
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

    MainWindow window(nullptr, source);
    window.init(); // the window shows once the catalogue is read, or its box closed
    return application.exec();
}
