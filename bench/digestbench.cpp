#include "benchmarks.h"

#include "benchsite.h"
#include "resulttable.h"
#include "samples.h"
#include "shellpipeline.h"
#include "update/filedigest.h"
#include "update/sha256.h"

#include <QElapsedTimer>

namespace {
constexpr double targetRatio = 0.9;

QString throughput(qint64 bytes, double seconds)
{
    return QStringLiteral("%1 MB/s").arg(double(bytes) / 1e6 / seconds, 0, 'f', 0);
}
}

void benchDigest(BenchSite &site, ResultTable &table, int repeats)
{
    const BenchSite::Image &image = site.image512;
    digestOfFile(image.path); // the file comes from the page cache for both from here on
    QVector<double> ours, openssl;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer clock;
        clock.start();
        const FileDigest digest = digestOfFile(image.path);
        ours << double(clock.nsecsElapsed()) / 1e9;
        const TimedRun reference = runTimedProgram(QStringLiteral("openssl"), {"dgst", "-sha256", "-out", "/dev/null", image.path});
        if (!digest.readable || digest.digest.toHex().toUpper() != image.checksum.toLatin1() || !reference.ok) {
            table.addSkipped(QStringLiteral("SHA-256 throughput"), QStringLiteral(">= 0.90"),
                             digest.readable ? reference.error : digest.error);
            return;
        }
        openssl << reference.seconds;
    }
    const double oursSeconds = median(ours), opensslSeconds = median(openssl);
    ResultRow row;
    row.what = QStringLiteral("SHA-256 throughput, 512 MiB file (libcrypto, median of %1)").arg(repeats);
    row.updater = throughput(image.size, oursSeconds);
    row.reference = throughput(image.size, opensslSeconds) + " openssl dgst -sha256";
    row.figure = QString::number(opensslSeconds / oursSeconds, 'f', 2);
    row.target = QStringLiteral(">= %1").arg(targetRatio, 0, 'f', 2);
    row.met = opensslSeconds / oursSeconds >= targetRatio;
    table.add(row);
}
