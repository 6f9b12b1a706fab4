#include "benchmarks.h"

#include "app/mainwindow.h"
#include "benchsite.h"
#include "guistallmeter.h"
#include "resulttable.h"

#include <QFile>
#include <QTest>

namespace {
constexpr double targetMs = 50;
constexpr int pollMeasureMs = 10000;

ResultRow stallRow(const QString &what, const GuiStallMeter &meter)
{
    ResultRow row;
    row.what = what;
    row.updater = QStringLiteral("%1 ms").arg(meter.longestStallMs(), 0, 'f', 1);
    row.reference = QStringLiteral("%1 ticks of a 10 ms timer").arg(meter.ticks());
    row.figure = row.updater;
    row.target = QStringLiteral("<= 50 ms");
    row.met = meter.longestStallMs() <= targetMs;
    return row;
}

ASSET_INFORMATION *attachedCamera(MainWindow &window, bool throughAdb)
{
    for (ASSET_INFORMATION *camera : window.attachedDeviceList()) {
        if (camera->ADB_Device == throughAdb && camera->Link.endsWith(throughAdb ? "TZ512M-adb.bin" : "TZ512M.bin"))
            return camera;
    }
    return nullptr;
}

void stallDuringInstall(MainWindow &window, ResultTable &table, bool throughAdb, const QString &what)
{
    ASSET_INFORMATION *camera = attachedCamera(window, throughAdb);
    if (!camera) {
        table.addSkipped(what, "<= 50 ms", QStringLiteral("the camera was not detected"));
        return;
    }
    GuiStallMeter meter;
    meter.start();
    const int outcome = window.installFirmware(camera);
    meter.stop();
    if (outcome != 0) {
        table.addSkipped(what, "<= 50 ms", QStringLiteral("outcome %1").arg(outcome));
        return;
    }
    table.add(stallRow(what, meter));
}
}

// One window over the whole site, as a technician has it: 24 models in the catalogue,
// 16 cameras on mounted cards and one behind adb, polled once a second throughout.
void benchGuiStalls(BenchSite &site, ResultTable &table)
{
    const int expected = site.cardsInCatalogue + 1;
    const QString polling = QStringLiteral("Longest GUI stall, polling %1 models over %2 cards + 1 adb camera, %3 s")
                                    .arg(site.catalogueModels).arg(site.cardsInCatalogue).arg(pollMeasureMs / 1000);
    MainWindow window(nullptr, site.baseUrl());
    window.show();
    window.init();
    if (!QTest::qWaitFor([&] { return window.attachedDeviceList().size() == expected; }, 20000)) {
        table.addSkipped(polling, "<= 50 ms",
                         QStringLiteral("%1 of %2 cameras listed").arg(window.attachedDeviceList().size()).arg(expected));
        return;
    }
    GuiStallMeter meter;
    meter.start();
    QTest::qWait(pollMeasureMs);
    meter.stop();
    table.add(stallRow(polling, meter));

    stallDuringInstall(window, table, false, QStringLiteral("Longest GUI stall, 512 MiB install to a tmpfs card, while polling"));
    stallDuringInstall(window, table, true, QStringLiteral("Longest GUI stall, 512 MiB install through the scripted adb, while polling"));
}
