#pragma once

#include "update/updateprogress.h"

#include <QString>
#include <QVector>

// The step, how far it is, how fast and how long to go, or that the image has not come
// in and when the download gives up: two lines, the step and the rest.
// bytesPerSecond: 0 until there is a measure; elapsedMs: since the step began;
// giveUpMs: the silence after which a download ends.
QString progressStepText(const UpdateProgress &progress, double bytesPerSecond, qint64 elapsedMs, qint64 giveUpMs);

// Bytes per second over the last few seconds of samples, so that the speed and the
// time left do not jump with every chunk the network hands over.
class TransferRate
{
public:
    void sample(qint64 atMs, qint64 done);
    double bytesPerSecond() const;
    void reset() { samples.clear(); }

private:
    struct Sample
    {
        qint64 atMs;
        qint64 done;
    };
    QVector<Sample> samples;
};
