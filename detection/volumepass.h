#pragma once

#include "detection/volumeprobe.h"

#include <QSet>
#include <QStringList>
#include <QVector>

#include <memory>
#include <mutex>

// The volumes whose last probe has not come back yet. Each is passed over, and said
// so once, until its probe returns; no second probe piles up behind a hung one.
class UnansweredVolumes
{
public:
    bool contains(const QString &root) const;
    void add(const QString &root);
    void remove(const QString &root);

private:
    mutable std::mutex mutex;
    QSet<QString> roots;
};

struct VolumePass
{
    QVector<ProbedVolume> volumes;
    // Mounted, but not answering within the time limit: what they held is not known.
    QStringList unanswered;
};

// Probes every mounted volume for the models' device folders, each in a thread of its
// own, and waits for them at most timeLimitMs in all. Blocks; meant for a background
// thread.
VolumePass runVolumePass(const QStringList &modelCodes, const std::shared_ptr<UnansweredVolumes> &unanswered,
                         int timeLimitMs);
