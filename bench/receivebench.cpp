#include "benchmarks.h"

#include "benchsite.h"
#include "resulttable.h"
#include "samples.h"
#include "shellpipeline.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>

#include <memory>

namespace {
// The read buffer limit the updater's download sets.
constexpr qint64 replyBufferBytes = 4 * 1024 * 1024;

// Qt's HTTPS client with nothing else to do: the body is read and dropped.
TimedRun receiveWithQt(const QUrl &url, qint64 expectedSize)
{
    QNetworkAccessManager manager;
    QEventLoop loop;
    QObject::connect(&manager, &QNetworkAccessManager::finished, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<QNetworkReply> reply(manager.get(QNetworkRequest(url)));
    reply->setReadBufferSize(replyBufferBytes);
    QByteArray buffer(1024 * 1024, Qt::Uninitialized);
    qint64 received = 0;
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, [&] {
        qint64 got;
        while ((got = reply->read(buffer.data(), buffer.size())) > 0)
            received += got;
    });
    if (!reply->isFinished())
        loop.exec();
    TimedRun run;
    run.seconds = double(clock.nsecsElapsed()) / 1e9;
    run.ok = reply->error() == QNetworkReply::NoError && received == expectedSize;
    if (!run.ok)
        run.error = "Qt download failed: " + reply->errorString();
    return run;
}
}

// Not a target of its own: it shows how much of the install time is the network stack.
void benchReceiveOnly(BenchSite &site, ResultTable &table, int repeats)
{
    const BenchSite::Image &image = site.image512;
    const QString what = QStringLiteral("Receive only, 512 MiB: Qt HTTPS client vs curl (median of %1)").arg(repeats);
    QVector<double> qt, curl;
    for (int i = 0; i < repeats; ++i) {
        const TimedRun ours = receiveWithQt(QUrl(site.url(image)), image.size);
        const TimedRun reference = runTimedProgram(QStringLiteral("curl"), {"--silent", "--show-error", "--fail", "--cacert",
                                                                            site.certificate(), "-o", "/dev/null", site.url(image)});
        if (!ours.ok || !reference.ok) {
            table.addSkipped(what, QString(), ours.ok ? reference.error : ours.error);
            return;
        }
        qt << ours.seconds;
        curl << reference.seconds;
    }
    ResultRow row;
    row.what = what;
    row.updater = QStringLiteral("%1 s").arg(median(qt), 0, 'f', 2);
    row.reference = QStringLiteral("%1 s curl -o /dev/null").arg(median(curl), 0, 'f', 2);
    row.figure = QString::number(median(qt) / median(curl), 'f', 2);
    row.hasTarget = false;
    table.add(row);
}
