#include "benchmarks.h"

#include "app/mainwindow.h"
#include "benchsite.h"
#include "processmemory.h"
#include "resulttable.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {
constexpr qint64 MiB = 1024 * 1024;
constexpr qint64 targetBytes = 64 * MiB;
constexpr int idleMs = 3000;
const QString probeFlag = QStringLiteral("--memory-probe");

QString mebibytes(qint64 bytes)
{
    return QStringLiteral("%1 MiB").arg(double(bytes) / MiB, 0, 'f', 1);
}
}

// A process of its own, so that nothing the other benchmarks left in the heap hides
// what an install needs. Idle means: the window up, the catalogue loaded, the poll
// cycle running over the mounted cards.
int runMemoryProbe(const QStringList &arguments)
{
    const QString baseUrl = arguments.value(0);
    ASSET_INFORMATION camera;
    camera.Model = QStringLiteral("TZ4100");
    camera.Model_Code = QStringLiteral("TZ41");
    camera.Version = QStringLiteral("5.920");
    camera.Device_Version = QStringLiteral("5.910");
    camera.Link = arguments.value(1);
    camera.Checksum = arguments.value(2);
    camera.Update_Path = arguments.value(3);
    camera.Attached = true;

    MainWindow window(nullptr, baseUrl);
    window.show();
    window.init();
    QTest::qWait(idleMs);
    const qint64 idle = residentBytes();
    const bool peakReset = resetPeakResident();

    // Sampled as well, for kernels that cannot reset the peak.
    qint64 sampledPeak = idle;
    QTimer sampler;
    sampler.setInterval(10);
    QObject::connect(&sampler, &QTimer::timeout, [&] { sampledPeak = std::max(sampledPeak, residentBytes()); });
    sampler.start();
    const int outcome = window.installFirmware(&camera);
    sampler.stop();
    const qint64 peak = peakReset ? peakResidentBytes() : std::max(sampledPeak, residentBytes());
    QFile::remove(camera.Update_Path);
    printf("idle=%lld peak=%lld outcome=%d exact=%d\n", idle, peak, outcome, int(peakReset));
    fflush(stdout);
    return 0;
}

void benchPeakMemory(BenchSite &site, ResultTable &table)
{
    const QString what = QStringLiteral("Peak memory above idle, 512 MiB install to tmpfs card");
    const ASSET_INFORMATION camera = site.cameraOn(site.tmpfsCard, site.image512);
    QProcess probe;
    probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    probe.start(QCoreApplication::applicationFilePath(),
                {probeFlag, site.baseUrl(), camera.Link, camera.Checksum, camera.Update_Path});
    probe.waitForFinished(300000);
    const QString answer = QString::fromLatin1(probe.readAllStandardOutput()).trimmed();
    qint64 idle = -1, peak = -1;
    int outcome = -99;
    bool exact = false;
    for (const QString &field : answer.split(' ')) {
        const QString value = field.section('=', 1);
        if (field.startsWith("idle="))
            idle = value.toLongLong();
        else if (field.startsWith("peak="))
            peak = value.toLongLong();
        else if (field.startsWith("outcome="))
            outcome = value.toInt();
        else if (field.startsWith("exact="))
            exact = value == "1";
    }
    if (idle < 0 || peak < 0 || outcome != 0) {
        table.addSkipped(what, "<= 64 MiB", "the probe said: " + (answer.isEmpty() ? probe.errorString() : answer));
        return;
    }
    ResultRow row;
    row.what = what + (exact ? " (VmHWM)" : " (sampled VmRSS)");
    row.updater = mebibytes(peak - idle);
    row.reference = "idle " + mebibytes(idle) + ", peak " + mebibytes(peak);
    row.figure = mebibytes(peak - idle);
    row.target = QStringLiteral("<= 64 MiB");
    row.met = peak - idle <= targetBytes;
    table.add(row);
}

bool isMemoryProbe(const QStringList &arguments)
{
    return arguments.value(1) == probeFlag;
}
