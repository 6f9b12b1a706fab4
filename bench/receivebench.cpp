#include "benchmarks.h"

#include "benchsite.h"
#include "resulttable.h"
#include "samples.h"
#include "shellpipeline.h"

#include "outside/httpsget.h"

#include <QElapsedTimer>

namespace {
constexpr double targetRatio = 1.2;

// The updater's own download with nothing else to do: the body is dropped.
TimedRun receiveAsTheUpdaterDoes(const QUrl &url, qint64 expectedSize)
{
    QElapsedTimer clock;
    clock.start();
    qint64 received = 0;
    const auto drop = [&received](const char *, qint64 size) {
        received += size;
        return true;
    };
    DownloadRequest request;
    request.url = url;
    DownloadHandlers handlers;
    handlers.begin = [](qint64 startsAt) { return startsAt == 0; };
    handlers.take = drop;
    const DownloadResult download = httpsGet(request, handlers, StopFlag());
    TimedRun run;
    run.seconds = double(clock.nsecsElapsed()) / 1e9;
    run.ok = download.complete() && received == expectedSize;
    if (!run.ok)
        run.error = "the updater's download failed: " + download.why;
    return run;
}
}

void benchReceiveOnly(BenchSite &site, ResultTable &table, int repeats)
{
    const BenchSite::Image &image = site.image512;
    const QString what = QStringLiteral("Receive only, 512 MiB: the updater's download vs curl (median of %1)").arg(repeats);
    QVector<double> updater, curl;
    for (int i = 0; i < repeats; ++i) {
        const TimedRun ours = receiveAsTheUpdaterDoes(QUrl(site.url(image.route)), image.size);
        const TimedRun reference = runTimedProgram(QStringLiteral("curl"), {"--silent", "--show-error", "--fail", "--cacert",
                                                                            site.certificate(), "-o", "/dev/null", site.url(image.route)});
        if (!ours.ok || !reference.ok) {
            table.addSkipped(what, QString(), ours.ok ? reference.error : ours.error);
            return;
        }
        updater << ours.seconds;
        curl << reference.seconds;
    }
    ResultRow row;
    row.what = what;
    row.updater = QStringLiteral("%1 s").arg(median(updater), 0, 'f', 2);
    row.reference = QStringLiteral("%1 s curl -o /dev/null").arg(median(curl), 0, 'f', 2);
    row.figure = QString::number(median(updater) / median(curl), 'f', 2);
    row.target = QStringLiteral("<= %1").arg(targetRatio, 0, 'f', 2);
    row.met = median(updater) <= targetRatio * median(curl);
    table.add(row);
}
