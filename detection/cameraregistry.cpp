#include "detection/cameraregistry.h"

#include <functional>

void CameraRegistry::takeSightings(CameraRoute route, const QVector<AttachedCamera> &sightings,
                                   const QStringList &unansweredLocations)
{
    // The state is brought up to date first and the signals go out after, so that a
    // receiver that looks at the registry sees what it is told of.
    QVector<std::function<void()>> news;
    QHash<QString, AttachedCamera> seen;
    for (const AttachedCamera &camera : sightings)
        seen.insert(camera.key(), camera);

    for (auto it = tracked.begin(); it != tracked.end();) {
        const AttachedCamera &camera = it->camera;
        if (camera.route != route || seen.contains(it.key()) || unansweredLocations.contains(camera.location)) {
            ++it;
            continue;
        }
        if (listedOrder.removeOne(it.key()))
            news.append([this, camera] { emit cameraDetached(camera); });
        it = tracked.erase(it);
    }
    for (const AttachedCamera &camera : sightings) {
        const QString key = camera.key();
        auto it = tracked.find(key);
        const bool listed = listedOrder.contains(key);
        if (it == tracked.end())
            it = tracked.insert(key, {camera, false});
        const AttachedCamera before = it->camera;
        it->camera = camera;
        if (camera.hasVersion() && !listed) {
            listedOrder.append(key);
            news.append([this, camera] { emit cameraAttached(camera); });
        } else if (!camera.hasVersion() && listed) {
            listedOrder.removeOne(key);
            news.append([this, camera] { emit cameraDetached(camera); });
        } else if (listed && (before.installedVersion != camera.installedVersion || before.reportedBrand != camera.reportedBrand
                              || before.imagePath != camera.imagePath || before.writable != camera.writable)) {
            news.append([this, camera] { emit cameraChanged(camera); });
        }
        if (!camera.hasVersion() && !it->errorTold) {
            it->errorTold = true;
            news.append([this, camera] { emit detectionError(camera); });
        }
    }
    for (const auto &tell : qAsConst(news))
        tell();
}

QVector<AttachedCamera> CameraRegistry::cameras() const
{
    QVector<AttachedCamera> listed;
    for (const QString &key : listedOrder)
        listed.append(tracked.value(key).camera);
    return listed;
}

std::optional<AttachedCamera> CameraRegistry::find(const QString &key) const
{
    if (!listedOrder.contains(key))
        return std::nullopt;
    return tracked.value(key).camera;
}
