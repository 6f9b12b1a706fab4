#include "station/updatestation.h"

#include <QDebug>

UpdateStation::UpdateStation(const Options &options)
    : options(options),
      cameraMonitor(registry, options.monitor),
      queue(cache, options.source, options.limits)
{
    connect(&registry, &CameraRegistry::cameraDetached, &queue, &UpdateQueue::cameraGone);
    // A camera over adb shows its new files only when asked again.
    connect(&queue, &UpdateQueue::finished, this,
            [this](int, const AttachedCamera &camera, const UpdateResult &result) {
                if (camera.route == CameraRoute::Adb && !result.upToDate && !result.skipped)
                    cameraMonitor.rereadAdbSerial(camera.location);
            });
}

UpdateStation::~UpdateStation() = default;

bool UpdateStation::loadCatalogue()
{
    loaded = ::loadCatalogue(options.source, options.limits.download.idleTimeoutMs);
    if (!loaded.loaded)
        qDebug().noquote() << "Failure" << loaded.failure;
    cameraMonitor.setCatalogue(loaded.entries);
    return loaded.loaded;
}

void UpdateStation::poll()
{
    cameraMonitor.poll();
}

UpdateMessage UpdateStation::messageFor(const AttachedCamera &camera, const UpdateResult &result) const
{
    return updateMessage(camera.entry, result, options.source);
}
