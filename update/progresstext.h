#pragma once

#include "update/updatephase.h"

#include <QString>
#include <QVector>

// What the progress window knows of the running step, in numbers.
struct TransferState
{
    UpdatePhase phase = UpdatePhase::Downloading;
    qint64 done = 0;
    qint64 total = -1;          // -1: size unknown
    double bytesPerSecond = 0;  // smoothed; 0 until there is a measure
    qint64 elapsedMs = 0;       // since the step began
    qint64 silentMs = 0;        // since the last byte moved
    qint64 giveUpMs = 0;        // silence after which the download ends
    bool cameraGone = false;
};

// The step, how far it is, how fast, how long to go, or that it is stalled.
QString progressStepText(const TransferState &state);

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
