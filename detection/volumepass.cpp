#include "detection/volumepass.h"

#include "outside/log.h"

#include "outside/background.h"

#include <QDebug>
#include <QDeadlineTimer>

bool UnansweredVolumes::contains(const QString &root) const
{
    const std::lock_guard<std::mutex> lock(mutex);
    return roots.contains(root);
}

void UnansweredVolumes::add(const QString &root)
{
    const std::lock_guard<std::mutex> lock(mutex);
    roots.insert(root);
}

void UnansweredVolumes::remove(const QString &root)
{
    const std::lock_guard<std::mutex> lock(mutex);
    roots.remove(root);
}

VolumePass runVolumePass(const QStringList &modelCodes, const std::shared_ptr<UnansweredVolumes> &unanswered,
                         int timeLimitMs)
{
    VolumePass pass;
    QVector<QPair<QString, Pending<ProbedVolume>>> probes;
    const QVector<MountPoint> mounts = listMountPoints();
    for (const MountPoint &mount : mounts) {
        if (unanswered->contains(mount.rootPath)) {
            pass.unanswered << mount.rootPath;
            continue;
        }
        const Pending<ProbedVolume> probe;
        runInBackground([mount, modelCodes, probe, unanswered] {
            probe.fulfil(probeVolume(mount, modelCodes));
            unanswered->remove(mount.rootPath);
        });
        probes.append({mount.rootPath, probe});
    }
    const QDeadlineTimer deadline(timeLimitMs);
    for (const auto &[root, probe] : qAsConst(probes)) {
        if (const std::optional<ProbedVolume> volume = probe.waitFor(int(qMax<qint64>(deadline.remainingTime(), 0)))) {
            pass.volumes.append(*volume);
            continue;
        }
        // Marked before looking once more: a probe that ends in between unmarks it itself.
        unanswered->add(root);
        if (const std::optional<ProbedVolume> late = probe.waitFor(0)) {
            unanswered->remove(root);
            pass.volumes.append(*late);
            continue;
        }
        qCDebug(detectionLog) << "The volume" << root << "does not answer; it is passed over until it does";
        pass.unanswered << root;
    }
    return pass;
}
