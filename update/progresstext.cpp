#include "update/progresstext.h"

#include <QCoreApplication>
#include <QLocale>

#include <cmath>

namespace {
constexpr qint64 rateWindowMs = 3000;
// Long enough that a slow link's gaps between chunks do not raise the alarm.
constexpr qint64 stallNoticeMs = 3000;

// The context the translations of these texts are filed under.
class Words
{
    Q_DECLARE_TR_FUNCTIONS(UpdateProgress)
};

QString phaseText(UpdatePhase phase)
{
    switch (phase) {
    case UpdatePhase::Downloading:
        return Words::tr("Downloading the firmware");
    case UpdatePhase::Writing:
        return Words::tr("Writing the firmware");
    case UpdatePhase::VerifyingCard:
        return Words::tr("Verifying the card");
    case UpdatePhase::Pushing:
        return Words::tr("Pushing the firmware to the camera");
    case UpdatePhase::Saving:
        return Words::tr("Saving the firmware in the folder");
    case UpdatePhase::VerifyingCopy:
        return Words::tr("Verifying the saved copy");
    }
    return QString();
}

// Whole seconds, rounded up, so a countdown never shows 0 s while time is left.
QString durationText(qint64 ms)
{
    const qint64 seconds = (qMax<qint64>(ms, 0) + 999) / 1000;
    if (seconds < 60)
        return Words::tr("%1 s").arg(seconds);
    return Words::tr("%1 min %2 s").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString sizeText(qint64 bytes)
{
    return QLocale::c().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}
}

QString progressStepText(const UpdateProgress &progress, double bytesPerSecond, qint64 elapsedMs, qint64 giveUpMs)
{
    QString text = phaseText(progress.phase) + QLatin1Char('\n');
    if (progress.phase == UpdatePhase::Downloading && progress.silentMs >= stallNoticeMs)
        return text + Words::tr("No data for %1: the download gives up in %2")
                          .arg(durationText(progress.silentMs), durationText(giveUpMs - progress.silentMs));
    if (progress.total < 0 && progress.done <= 0)
        return text + Words::tr("%1 elapsed").arg(durationText(elapsedMs));
    if (progress.total < 0)
        text += sizeText(progress.done);
    else
        text += Words::tr("%1 of %2").arg(sizeText(progress.done), sizeText(progress.total));
    if (bytesPerSecond <= 0)
        return text;
    text += Words::tr(" at %1/s").arg(sizeText(qint64(bytesPerSecond)));
    if (progress.total >= progress.done)
        text += Words::tr(", %1 left").arg(durationText(qint64(std::ceil((progress.total - progress.done) * 1000.0 / bytesPerSecond))));
    return text;
}

void TransferRate::sample(qint64 atMs, qint64 done)
{
    samples.append({atMs, done});
    while (samples.size() > 2 && samples.at(1).atMs <= atMs - rateWindowMs)
        samples.removeFirst();
}

double TransferRate::bytesPerSecond() const
{
    if (samples.size() < 2 || samples.last().atMs <= samples.first().atMs)
        return 0;
    return (samples.last().done - samples.first().done) * 1000.0 / (samples.last().atMs - samples.first().atMs);
}
