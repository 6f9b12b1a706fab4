#pragma once

#include "catalogue/firmwaresource.h"
#include "detection/attachedcamera.h"
#include "outside/background.h"
#include "update/installlimits.h"
#include "update/updatejob.h"
#include "update/updateresult.h"

#include <QHash>
#include <QObject>
#include <QVector>

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class FirmwareCache;

// The most updates that run at once: every camera of a bench's tray. Pushes to one adb
// device go one at a time all the same.
constexpr int maxUpdatesAtOnce = 32;

// Runs updates side by side. Cameras come in, in an order; each that needs the
// catalogue's firmware gets a job, and cameras that take one image share one fetch of
// it. One camera failing ends only its own job. Results come out twice: as each camera
// finishes, and in the order the cameras came in (a camera's result waits for those
// before it), for whoever tells them one at a time.
class UpdateQueue : public QObject
{
    Q_OBJECT
public:
    UpdateQueue(FirmwareCache &cache, FirmwareSource source, InstallLimits limits);
    ~UpdateQueue() override;

    // Adds cameras in this order and returns the index each gets. A camera already on
    // the catalogue's version is done at once, without anything downloaded, unless
    // whatever says it gets the image all the same (a folder being filled). Nothing of
    // them is told before this returns, so the caller knows their indexes first.
    enum class Decide { ByVersion, Always };
    QVector<int> add(const QVector<AttachedCamera> &cameras, Decide decide = Decide::ByVersion);
    // Stops every update not finished; cameras still waiting for their turn are skipped.
    void stop();
    // The camera has gone: its update stops, or is skipped.
    void cameraGone(const AttachedCamera &camera);
    bool isBusy() const;

signals:
    void started(int index, const AttachedCamera &camera);
    void progressed(int index, const JobProgress &progress);
    void finished(int index, const AttachedCamera &camera, const UpdateResult &result);
    void finishedInOrder(int index, const AttachedCamera &camera, const UpdateResult &result);
    // Every camera added so far has finished.
    void allFinished();

private:
    struct Fetch
    {
        std::shared_ptr<ImageFeed> feed = std::make_shared<ImageFeed>();
        StopFlag stop;
        std::optional<FetchResult> result;
        QString link, checksum;
        FetchOrder order;
        QVector<int> members;
    };
    struct Entry
    {
        AttachedCamera camera;
        bool waiting = true;
        std::unique_ptr<UpdateJob> job;
        std::optional<UpdateResult> result;
    };

    void startWaiting();
    void start(int index);
    void end(int index, FailureCause cause);
    std::shared_ptr<Fetch> newFetch(const QString &key, const AttachedCamera &camera, const ImageOrigin &origin);
    void launch(const std::shared_ptr<Fetch> &fetch);
    void takeFetchEnd(const std::shared_ptr<Fetch> &fetch, const FetchResult &result);
    void finishEntry(int index, const UpdateResult &result);
    void finishLater(int index, const UpdateResult &result);
    int running() const;

    FirmwareCache &cache;
    const FirmwareSource source;
    const InstallLimits limits;
    std::vector<Entry> entries;
    int nextInOrder = 0;
    QHash<QString, std::shared_ptr<Fetch>> fetches;
    QHash<QString, std::shared_ptr<std::mutex>> deviceTurns;
    Mailbox mailbox{this};
};
