// vek-progress-shot: photographs the progress window at each kind of step a technician
// meets, for the README. Run it on a display (bench/progress-shot starts a virtual one,
// at 100 % and at 200 %): it serves a catalogue and slowly trickling images on
// loopback, lists three cameras on tmpfs cards and saves, in the folder given,
//   progress-single{suffix}.png      one camera, downloading
//   progress-update-all{suffix}.png  "Update All": one camera done, one downloading
//   progress-stall{suffix}.png       "Update All", the third camera's server gone silent

#include "app/progresswindow.h"
#include "httpsserver.h"
#include "messageboxwatcher.h"
#include "mountsandbox.h"
#include "windowkit.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {
int fail(const QString &why)
{
    fprintf(stderr, "vek-progress-shot: %s\n", qPrintable(why));
    return 1;
}

ProgressWindow *visibleProgressWindow()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *progress = qobject_cast<ProgressWindow *>(widget); progress && progress->isVisible())
            return progress;
    }
    return nullptr;
}

// Every line the progress window shows, one under the other.
QString shownText(const ProgressWindow &progress)
{
    QStringList lines;
    for (const QLabel *label : progress.findChildren<QLabel *>())
        lines << label->text();
    return lines.join('\n');
}

QByteArray firmware(int size, int seed)
{
    QByteArray image(size, Qt::Uninitialized);
    for (int i = 0; i < image.size(); ++i)
        image[i] = char((i + seed) * 7919 >> 3);
    return image;
}

// The virtual display has no window manager, so windows show no title bar: the
// progress window's title goes in a bar under the picture instead.
QPixmap captioned(const QPixmap &shot, const QString &caption)
{
    const int bar = 26;
    QPixmap result(shot.size() + QSize(0, qRound(bar * shot.devicePixelRatio())));
    result.setDevicePixelRatio(shot.devicePixelRatio());
    result.fill(QColor(0x3b, 0x3b, 0x3b));
    QPainter painter(&result);
    painter.drawPixmap(0, 0, shot);
    painter.setPen(Qt::white);
    const QSize size = shot.size() / shot.devicePixelRatio();
    painter.drawText(QRect(10, size.height(), size.width() - 10, bar), Qt::AlignLeft | Qt::AlignVCenter, caption);
    return result;
}

// Saves the window and the progress window together once the progress window's text
// matches, after it has been showing for a moment; runs an update meanwhile.
class Photographer
{
public:
    Photographer(MainWindow &window, QString file) : window(window), file(std::move(file)) {}

    bool shoot(const QString &labelPattern, const std::function<void()> &update)
    {
        QTimer look;
        int matchedTicks = 0;
        QObject::connect(&look, &QTimer::timeout, [&] {
            ProgressWindow *dialog = visibleProgressWindow();
            if (saved || !dialog || !shownText(*dialog).contains(QRegularExpression(labelPattern)))
                return;
            // Long enough for the speed and the time left to settle.
            if (++matchedTicks < 12)
                return;
            const QRect area = (window.frameGeometry() | dialog->frameGeometry()).adjusted(-8, -8, 8, 8);
            saved = captioned(window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()),
                              "Progress window \"" + dialog->windowTitle() + "\"")
                        .save(file);
        });
        look.start(100);
        update();
        return saved;
    }

private:
    MainWindow &window;
    QString file;
    bool saved = false;
};
}

int main(int argc, char *argv[])
{
    QString whyNoMounts;
    if (!MountSandbox::enter(&whyNoMounts))
        return fail("no private mount namespace for the cameras' cards: " + whyNoMounts);
    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication app(argc, argv);
    if (app.arguments().size() < 2 || app.arguments().size() > 3)
        return fail(QStringLiteral("usage: vek-progress-shot OUTPUT-FOLDER [FILE-SUFFIX]"));
    const QDir output(app.arguments().at(1));
    const QString suffix = app.arguments().value(2);

    HttpsServer::trustTestCertificate();
    HttpsServer server;
    QString why;
    if (!server.start(&why))
        return fail("no server: " + why);
    // 6 MiB at 48 KiB every 50 ms: about six seconds of downloading each.
    QJsonObject catalogue{{"!about", "progress screenshots"}};
    const QStringList models = {"TZ2200", "TZ4100", "TZ7000"};
    for (int i = 0; i < models.size(); ++i) {
        const QString route = "/fw/" + models.at(i) + ".bin";
        const QByteArray image = firmware(6 * 1024 * 1024, i);
        if (models.at(i) == "TZ7000")
            server.stallAfter(route, image, 1024 * 1024);
        else
            server.serveSlowly(route, image, 48 * 1024, 50);
        const QString digest = QString::fromLatin1(QCryptographicHash::hash(image, QCryptographicHash::Sha256).toHex().toUpper());
        catalogue.insert(models.at(i), QJsonObject{{"Version", "5.920"}, {"Link", server.url(route)}, {"Checksum", digest}});
    }
    server.serve("/fw/vek-updater-config.txt", QJsonDocument(catalogue).toJson(), "text/plain");

    QTemporaryDir scratch;
    MountSandbox mounts;
    for (const QString &model : models) {
        const QString card = scratch.filePath(model);
        const QString code = model == "TZ7000" ? "TZ7K" : model.left(4);
        if (!QDir().mkpath(card) || !mounts.mountTmpfs(card, 16 * 1024 * 1024, false, &why))
            return fail("cannot mount a card: " + why);
        if (makeCard(card, code, "5.910\n", true).isEmpty())
            return fail(QStringLiteral("cannot lay out a card"));
    }

    MainWindow window(nullptr, *FirmwareSource::fromArgument(server.origin() + "/fw", nullptr));
    window.move(40, 40);
    window.show();
    window.init();
    if (!QTest::qWaitFor([&] { return rows(window).size() == 3; }, 10000))
        return fail(QStringLiteral("the cameras were not listed"));

    MessageBoxWatcher boxes;
    const auto shot = [&](const QString &name) { return output.filePath("progress-" + name + suffix + ".png"); };
    // The single update goes first: its image is then kept, and "Update All" spends
    // its time on the other two.
    if (!Photographer(window, shot("single")).shoot("Downloading", [&] {
            doubleClickRow(window, 0);
            static_cast<void>(QTest::qWaitFor([&] { return !boxes.titles().isEmpty(); }, 60000));
        }))
        return fail("no progress window for a single update, or cannot write " + shot("single"));
    Photographer all(window, shot("update-all")), stall(window, shot("stall"));
    bool stalled = false;
    const bool running = all.shoot("Done: (.|\n)*Downloading", [&] {
        stalled = stall.shoot("No data for", [&] {
            window.findChild<QPushButton *>("pushButton")->click();
            static_cast<void>(QTest::qWaitFor([&] { return boxes.titles().size() == 4; }, 120000));
        });
    });
    if (!running || !stalled)
        return fail("no progress window during Update All, or cannot write to " + output.path());
    printf("%s\n%s\n%s\n", qPrintable(shot("single")), qPrintable(shot("update-all")), qPrintable(shot("stall")));
    return 0;
}
