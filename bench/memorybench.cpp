#include "benchmarks.h"

#include "benchsite.h"
#include "guistallmeter.h"
#include "messageboxwatcher.h"
#include "processmemory.h"
#include "resulttable.h"
#include "windowkit.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>

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

// Runs the probe over the cameras plugged in now and adds its rows.
void probe(BenchSite &site, ResultTable &table, int cameras, const QString &what, bool withStalls)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {probeFlag, site.sourceAddress(), QString::number(cameras)});
    child.waitForFinished(900000);
    const QString answer = QString::fromLatin1(child.readAllStandardOutput()).trimmed();
    QHash<QString, QString> values;
    for (const QString &field : answer.split(' '))
        values.insert(field.section('=', 0, 0), field.section('=', 1));
    const qint64 idle = values.value("idle", "-1").toLongLong(), peak = values.value("peak", "-1").toLongLong();
    if (idle < 0 || peak < 0 || values.value("ok") != "1") {
        table.addSkipped(what, "<= 64 MiB", "the probe said: " + (answer.isEmpty() ? child.errorString() : answer));
        return;
    }
    ResultRow row;
    row.what = what + (values.value("exact") == "1" ? " (VmHWM)" : " (sampled VmRSS)");
    row.updater = mebibytes(peak - idle);
    row.reference = "idle " + mebibytes(idle) + ", peak " + mebibytes(peak) + ", " + values.value("seconds") + " s";
    row.figure = mebibytes(peak - idle);
    row.target = QStringLiteral("<= 64 MiB");
    row.met = peak - idle <= targetBytes;
    table.add(row);
    if (!withStalls)
        return;
    ResultRow stalls;
    stalls.what = "Longest GUI stall, " + what.section(", ", 1);
    stalls.updater = values.value("stall") + " ms";
    stalls.reference = QString(values.value("account")).replace('_', ' ');
    stalls.figure = stalls.updater;
    stalls.target = QStringLiteral("<= 50 ms");
    stalls.met = values.value("stall").toDouble() <= 50;
    table.add(stalls);
}
}

// A process of its own, so that nothing the other benchmarks left in the heap hides
// what the updates need. Idle means: the window up, the catalogue loaded, the poll
// cycle running and the cameras listed. Then "Update All", until its box (one camera) or
// its summary (several) has come.
int runMemoryProbe(const QStringList &arguments)
{
    const int cameras = arguments.value(1).toInt();
    MainWindow window(nullptr, *FirmwareSource::fromArgument(arguments.value(0), nullptr));
    {
        MessageBoxWatcher noCatalogue; // its box would wait for ever
        window.init();
    }
    window.show();
    if (!QTest::qWaitFor([&] { return rows(window).size() == cameras; }, 30000)) {
        printf("listed=%d\n", int(rows(window).size()));
        return 1;
    }
    runEventLoopFor(idleMs);
    const qint64 idle = residentBytes();
    const bool peakReset = resetPeakResident();

    // Sampled as well, for kernels that cannot reset the peak.
    qint64 sampledPeak = idle;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] { sampledPeak = std::max(sampledPeak, residentBytes()); });
    if (!peakReset)
        sampler.start(10);
    MessageBoxWatcher boxes;
    GuiStallMeter meter;
    QElapsedTimer clock;
    clock.start();
    meter.start();
    QTest::mouseClick(window.findChild<QPushButton *>("pushButton"), Qt::LeftButton);
    const auto summary = [] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (widget->isVisible() && widget->windowTitle() == QLatin1String("Update summary"))
                return widget->findChild<QLabel *>()->text();
        }
        return QString();
    };
    const bool told = runEventLoopUntil([&] { return !boxes.titles().isEmpty() || !summary().isEmpty(); }, 900000);
    meter.stop();
    const qint64 peak = peakReset ? peakResidentBytes() : std::max(sampledPeak, residentBytes());
    const bool ok = told
                    && (cameras == 1 ? boxes.titles().value(0).endsWith("Update Successful")
                                     : summary().startsWith(QString::number(cameras) + " updated"));
    printf("idle=%lld peak=%lld exact=%d ok=%d stall=%.1f seconds=%.1f account=%s\n", idle, peak, int(peakReset),
           int(ok), meter.longestStallMs(), double(clock.elapsed()) / 1000,
           qPrintable(meter.account().replace(' ', '_')));
    fflush(stdout);
    return 0;
}

bool isMemoryProbe(const QStringList &arguments)
{
    return arguments.value(1) == probeFlag;
}

void benchPeakMemory(BenchSite &site, ResultTable &table)
{
    QString why;
    {
        const QString what = QStringLiteral("Peak memory above idle, 512 MiB install to a tmpfs card");
        Cards card(site, "memory-one");
        if (card.plug({site.bigModel}, 0, &why))
            probe(site, table, 1, what, false);
        else
            table.addSkipped(what, "<= 64 MiB", why);
    }
    const QString what = QStringLiteral("Peak memory above idle, Update All of 8 cameras, one 512 MiB image, cards at 20 MB/s");
    Cards cards(site, "memory-eight");
    if (cards.plug(QVector<const BenchSite::Model *>(8, site.bigModel), 20000000, &why))
        probe(site, table, 8, what, true);
    else
        table.addSkipped(what, "<= 64 MiB", why);
}
