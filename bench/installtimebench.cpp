#include "benchmarks.h"

#include "benchsite.h"
#include "resulttable.h"
#include "samples.h"
#include "shellpipeline.h"
#include "stationrun.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

namespace {
// A card in memory leaves the updater nothing to wait for but its own work; a card on
// disk adds the read-back, which the pipeline does not do.
constexpr double tmpfsTargetRatio = 0.6, diskTargetRatio = 0.8;

// One camera's update by a station of its own, so that the image is downloaded.
BenchStation::Run installAlone(BenchSite &site, const AttachedCamera &camera)
{
    QFile::remove(camera.imagePath);
    BenchStation station(site.source());
    return station.update({camera});
}

void installTime(BenchSite &site, ResultTable &table, const BenchSite::Image &image, const QString &card,
                 const QString &cardName, int repeats)
{
    const double targetRatio = card == site.tmpfsCard ? tmpfsTargetRatio : diskTargetRatio;
    const QString target = QStringLiteral("<= %1").arg(targetRatio, 0, 'f', 2);
    QString why;
    if (!site.keepServing(&why)) {
        table.addSkipped(QStringLiteral("Install %1 MiB, %2").arg(image.size >> 20).arg(cardName), target, why);
        return;
    }
    QVector<double> updaterSeconds, pipelineSeconds;
    QTextStream progress(stderr);
    // Alternating, so that a slow spell of the shared machine hits both alike.
    for (int i = 0, retries = 2; i < repeats; ++i) {
        // Made afresh each time: a server started anew has another port.
        const AttachedCamera camera = site.installCamera(card, image);
        const PipelineJob pipeline{site.url(image.route), image.checksum, QDir::temp().filePath("vek-bench-pipeline.bin"),
                                   camera.imagePath, site.certificate()};
        const BenchStation::Run updater = installAlone(site, camera);
        const TimedRun script = runTechnicianPipeline(pipeline);
        bool serverWasGone = false;
        if ((!updater.failure.isEmpty() || !script.ok) && site.keepServing(&why, &serverWasGone) && serverWasGone
            && retries-- > 0) {
            --i; // not the updater's failure: this repetition again
            continue;
        }
        if (!updater.failure.isEmpty() || !script.ok) {
            table.addSkipped(QStringLiteral("Install %1 MiB, %2").arg(image.size >> 20).arg(cardName), target,
                             updater.failure.isEmpty() ? script.error : updater.failure);
            return;
        }
        updaterSeconds << updater.seconds;
        pipelineSeconds << script.seconds;
        progress << QStringLiteral("  %1 MiB to %2: updater %3 s, pipeline %4 s\n")
                            .arg(image.size >> 20).arg(cardName).arg(updater.seconds, 0, 'f', 3).arg(script.seconds, 0, 'f', 3);
        progress.flush();
    }
    const double updater = median(updaterSeconds), reference = median(pipelineSeconds);
    ResultRow row;
    row.what = QStringLiteral("Install %1 MiB, %2 (median of %3)").arg(image.size >> 20).arg(cardName).arg(repeats);
    row.updater = QStringLiteral("%1 s").arg(updater, 0, 'f', 2);
    row.reference = QStringLiteral("%1 s curl+sha256sum+cp+sync").arg(reference, 0, 'f', 2);
    row.figure = QString::number(updater / reference, 'f', 2);
    row.target = target;
    row.met = updater <= targetRatio * reference;
    table.add(row);
}
}

void benchInstallTime(BenchSite &site, ResultTable &table, int repeats)
{
    // Warms up the libraries and the server before anything is timed.
    installAlone(site, site.installCamera(site.tmpfsCard, site.image64));

    QVector<QPair<QString, QString>> cards{{site.tmpfsCard, QStringLiteral("tmpfs card")}};
    if (!site.diskCard.isEmpty())
        cards.append({site.diskCard, site.diskCardType + " card on disk"});
    for (const BenchSite::Image *image : {&site.image64, &site.image512}) {
        for (const auto &card : cards)
            installTime(site, table, *image, card.first, card.second, repeats);
        if (site.diskCard.isEmpty())
            table.addSkipped(QStringLiteral("Install %1 MiB, card on disk").arg(image->size >> 20),
                             QStringLiteral("<= %1").arg(diskTargetRatio, 0, 'f', 2), site.whyNoDiskCard);
    }
}
