// vek-progress-shot: photographs the progress dialog in the middle of a slow update,
// for the README. Run it on a display (bench/progress-shot starts a virtual one): it
// serves a catalogue and a slowly trickling image on loopback, lists a camera on a
// tmpfs card, double-clicks it and saves a picture of the window with the dialog.

#include "app/mainwindow.h"
#include "cardlayout.h"
#include "httpsserver.h"
#include "messageboxwatcher.h"
#include "mountsandbox.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QProgressDialog>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {
const QString imageRoute = QStringLiteral("/fw/TZ4100.bin");

int fail(const QString &why)
{
    fprintf(stderr, "vek-progress-shot: %s\n", qPrintable(why));
    return 1;
}

QProgressDialog *visibleProgressDialog()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *dialog = qobject_cast<QProgressDialog *>(widget); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}
}

int main(int argc, char *argv[])
{
    QString whyNoMounts;
    if (!MountSandbox::enter(&whyNoMounts))
        return fail("no private mount namespace for the camera's card: " + whyNoMounts);
    QApplication app(argc, argv);
    if (app.arguments().size() != 2)
        return fail(QStringLiteral("usage: vek-progress-shot OUTPUT.png"));
    const QString output = app.arguments().at(1);

    HttpsServer::trustTestCertificate();
    HttpsServer server;
    QString why;
    if (!server.start(&why))
        return fail("no server: " + why);
    // 6 MiB at 48 KiB every 50 ms: about six seconds of downloading.
    QByteArray image(6 * 1024 * 1024, Qt::Uninitialized);
    for (int i = 0; i < image.size(); ++i)
        image[i] = char(i * 7919 >> 3);
    server.serveSlowly(imageRoute, image, 48 * 1024, 50);
    const QJsonObject catalogue{
            {"!about", "progress screenshot"},
            {"TZ4100", QJsonObject{{"Version", "5.920"}, {"Link", server.url(imageRoute)},
                                   {"Checksum", QString::fromLatin1(QCryptographicHash::hash(image, QCryptographicHash::Sha256).toHex().toUpper())}}}};
    server.serve("/fw/vek-updater-config.txt", QJsonDocument(catalogue).toJson(), "text/plain");

    QTemporaryDir scratch;
    MountSandbox mounts;
    const QString card = scratch.filePath("card");
    if (!QDir().mkpath(card) || !mounts.mountTmpfs(card, 64 * 1024 * 1024, false, &why))
        return fail("cannot mount the card: " + why);
    if (makeCard(card, "TZ41", "5.910\n", true).isEmpty())
        return fail(QStringLiteral("cannot lay out the card"));

    MainWindow window(nullptr, server.origin() + "/fw");
    window.move(40, 40);
    window.show();
    window.init();
    if (!QTest::qWaitFor([&] { return window.attachedDeviceList().size() == 1; }, 10000))
        return fail(QStringLiteral("the camera was not listed"));

    bool saved = false;
    QTimer::singleShot(2500, [&] {
        QProgressDialog *dialog = visibleProgressDialog();
        if (!dialog)
            return;
        const QRect area = (window.frameGeometry() | dialog->frameGeometry()).adjusted(-8, -8, 8, 8);
        const QPixmap shot = window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
        saved = shot.save(output);
    });
    MessageBoxWatcher boxes;
    window.updateDevice(window.attachedDeviceList().first());
    if (!saved)
        return fail("no progress dialog to photograph, or cannot write " + output);
    printf("%s\n", qPrintable(output));
    return 0;
}
