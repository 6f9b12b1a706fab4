#include "benchmarks.h"

#include "app/mainwindow.h"
#include "benchsite.h"
#include "cardlayout.h"
#include "httpsserver.h"
#include "messageboxwatcher.h"
#include "resulttable.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {
const QString imageRoute = QStringLiteral("/fw/TZ7700.bin");
const QString what = QStringLiteral("Server requests, two TZ7700 cameras updated one after the other");
}

// A technician plugs in one camera, updates it, unplugs it and plugs in the next of the
// same model. The in-process server counts the requests for the image. The model is one
// of its own, so that no card of the other benchmarks passes for one of its cameras.
void benchRequestCount(BenchSite &site, ResultTable &table)
{
    HttpsServer server;
    QString why;
    if (!server.start(&why)) {
        table.addSkipped(what, "1", "no server: " + why);
        return;
    }
    server.serveFile(imageRoute, site.image64.path);
    const QJsonObject catalogue{{"!about", "two cameras"},
                                {"TZ7700", QJsonObject{{"Version", "5.920"}, {"Link", server.url(imageRoute)},
                                                       {"Checksum", site.image64.checksum}}}};
    server.serve("/fw/vek-updater-config.txt", QJsonDocument(catalogue).toJson(), "text/plain");

    MainWindow window(nullptr, server.origin() + "/fw");
    window.show();
    window.init();
    MessageBoxWatcher boxes;
    int updated = 0;
    for (const QString &name : {QStringLiteral("first"), QStringLiteral("second")}) {
        const QString root = site.scratchPath("cards/requests-" + name);
        if (!QDir().mkpath(root) || !site.mounts.mountTmpfs(root, 256 * 1024 * 1024, false, &why)) {
            table.addSkipped(what, "1", "cannot mount a card: " + why);
            return;
        }
        const QString imagePath = makeCard(root, "TZ77", "5.910\n", true);
        if (!QTest::qWaitFor([&] { return window.attachedDeviceList().size() == 1; }, 10000))
            break;
        window.updateDevice(window.attachedDeviceList().first());
        const bool successBox = !boxes.boxes().isEmpty() && boxes.boxes().last().title == "TZ7700 - Update Successful";
        if (successBox && QFileInfo(imagePath).size() == site.image64.size)
            ++updated;
        site.mounts.unmount(root, true);
        if (!QTest::qWaitFor([&] { return window.attachedDeviceList().isEmpty(); }, 10000))
            break;
    }
    const int requests = server.requestCount(imageRoute);
    if (updated != 2) {
        table.addSkipped(what, "1", QStringLiteral("%1 of 2 cameras updated").arg(updated));
        return;
    }
    ResultRow row;
    row.what = what;
    row.updater = QString::number(requests);
    row.reference = QStringLiteral("2 cameras updated, 2 success boxes");
    row.figure = row.updater;
    row.target = QStringLiteral("1");
    row.met = requests == 1;
    table.add(row);
}
