#include "update/updatequeue.h"

#include "catalogue/versionnumber.h"
#include "update/checksum.h"
#include "update/firmwarecache.h"

#include <QDebug>
#include <QTimer>

namespace {
QString imageKey(const CatalogueEntry &entry)
{
    return entry.link + '|' + normalisedChecksum(entry.checksum);
}

UpdateResult failure(int outcome, FailureCause cause)
{
    UpdateResult result;
    result.outcome = outcome;
    result.cause = cause;
    return result;
}
}

UpdateQueue::UpdateQueue(FirmwareCache &cache, FirmwareSource source, InstallLimits limits)
    : cache(cache), source(std::move(source)), limits(limits)
{
}

UpdateQueue::~UpdateQueue()
{
    stop();
}

QVector<int> UpdateQueue::add(const QVector<AttachedCamera> &cameras, Decide decide)
{
    QVector<int> indexes;
    for (const AttachedCamera &camera : cameras) {
        const int index = int(entries.size());
        indexes << index;
        entries.push_back({});
        entries.back().camera = camera;
        if (decide == Decide::ByVersion
            && !updateRequired(camera.entry.modelCode, camera.entry.version, camera.installedVersion)) {
            UpdateResult upToDate;
            upToDate.upToDate = true;
            finishLater(index, upToDate);
        }
    }
    mailbox.address().post([this] { startWaiting(); });
    return indexes;
}

void UpdateQueue::stop()
{
    for (int index = 0; index < int(entries.size()); ++index)
        end(index, FailureCause::Stopped);
}

void UpdateQueue::cameraGone(const AttachedCamera &camera)
{
    for (int index = 0; index < int(entries.size()); ++index) {
        if (entries[size_t(index)].camera.key() == camera.key())
            end(index, FailureCause::CameraGone);
    }
}

// A running update stops where that is safe; one still waiting never starts.
void UpdateQueue::end(int index, FailureCause cause)
{
    Entry &entry = entries[size_t(index)];
    if (entry.result)
        return;
    if (entry.job) {
        entry.job->stop(cause);
    } else if (entry.waiting) {
        UpdateResult skipped;
        skipped.skipped = true;
        finishLater(index, skipped);
    }
}

bool UpdateQueue::isBusy() const
{
    return nextInOrder < int(entries.size());
}

int UpdateQueue::running() const
{
    return int(std::count_if(entries.cbegin(), entries.cend(),
                             [](const Entry &entry) { return entry.job && !entry.result; }));
}

void UpdateQueue::startWaiting()
{
    for (int index = 0; index < int(entries.size()) && running() < maxUpdatesAtOnce; ++index) {
        Entry &entry = entries[size_t(index)];
        if (entry.waiting && !entry.result) {
            entry.waiting = false;
            start(index);
        }
    }
}

void UpdateQueue::start(int index)
{
    const AttachedCamera camera = entries[size_t(index)].camera;
    const CatalogueEntry &image = camera.entry;
    if (image.link.isEmpty()) {
        qDebug() << "Failure - Destination is empty";
        return finishLater(index, failure(InstallOutcome::NoLink, FailureCause::Source));
    }
    QString refusal;
    const std::optional<ImageOrigin> origin = source.imageFor(image.link, &refusal);
    if (!origin) {
        qDebug().noquote() << "Failure" << refusal;
        return finishLater(index, failure(InstallOutcome::DownloadFailed, FailureCause::Source));
    }
    // Cameras of one image share its fetch, while the fetch can still serve a newcomer
    // from the image's first byte.
    const QString key = imageKey(image);
    std::shared_ptr<Fetch> fetch = fetches.value(key);
    std::unique_ptr<ImageFeed::Reader> reader;
    if (fetch && !fetch->stop.isRaised())
        reader = fetch->feed->join();
    if (!reader) {
        fetch = newFetch(key, camera, *origin);
        reader = fetch->feed->join();
        launch(fetch);
    }
    fetch->members << index;

    std::shared_ptr<std::mutex> &turn = deviceTurns[camera.route == CameraRoute::Adb ? camera.location : camera.key()];
    if (!turn)
        turn = std::make_shared<std::mutex>();
    const CameraWrite write{camera, QByteArray::fromHex(normalisedChecksum(image.checksum).toLatin1()), limits.push, turn};
    Entry &entry = entries[size_t(index)];
    entry.job.reset(new UpdateJob(write, std::move(reader), limits.download.idleTimeoutMs));
    connect(entry.job.get(), &UpdateJob::progressed, this,
            [this, index](const JobProgress &progress) { emit progressed(index, progress); });
    connect(entry.job.get(), &UpdateJob::finished, this,
            [this, index](const UpdateResult &result) { finishEntry(index, result); });
    emit started(index, camera);
    entry.job->start();
    if (fetch->result)
        entry.job->takeFetchEnd(*fetch->result);
}

std::shared_ptr<UpdateQueue::Fetch> UpdateQueue::newFetch(const QString &key, const AttachedCamera &camera,
                                                           const ImageOrigin &origin)
{
    auto fetch = std::make_shared<Fetch>();
    fetch->link = camera.entry.link;
    fetch->checksum = camera.entry.checksum;
    FetchOrder &order = fetch->order;
    order.checksum = fetch->checksum;
    order.cachedImage = cache.imageFor(fetch->link, fetch->checksum);
    order.origin = origin;
    if (!origin.isFile()) {
        order.partialPath = cache.partialPathFor(fetch->checksum);
        order.keptPath = cache.verifiedPathFor(fetch->checksum);
    }
    order.limits = limits.download;
    fetches.insert(key, fetch);
    return fetch;
}

void UpdateQueue::launch(const std::shared_ptr<Fetch> &fetch)
{
    // After the first reader has joined: a feed without readers ends at its first byte.
    runInBackground([fetch, reply = mailbox.address(), this] {
        const FetchResult result = fetchImage(fetch->order, *fetch->feed, fetch->stop);
        reply.post([this, fetch, result] { takeFetchEnd(fetch, result); });
    });
}

void UpdateQueue::takeFetchEnd(const std::shared_ptr<Fetch> &fetch, const FetchResult &result)
{
    fetch->result = result;
    if (!result.logLine.isEmpty())
        qDebug().noquote() << result.logLine;
    if (!result.keptImage.isEmpty())
        cache.keep(fetch->link, fetch->checksum, result.keptImage);
    else if (result.cachedImageRotten)
        cache.forget(fetch->link, fetch->checksum);
    for (const int index : qAsConst(fetch->members)) {
        Entry &entry = entries[size_t(index)];
        if (entry.job && !entry.result)
            entry.job->takeFetchEnd(result);
    }
}

void UpdateQueue::finishLater(int index, const UpdateResult &result)
{
    entries[size_t(index)].waiting = false;
    mailbox.address().post([this, index, result] { finishEntry(index, result); });
}

void UpdateQueue::finishEntry(int index, const UpdateResult &result)
{
    if (entries[size_t(index)].result)
        return;
    entries[size_t(index)].result = result;
    // A station that watches for days keeps the results, not the jobs. This may run in
    // the job's own signal: it goes once that is over (or with the queue).
    QTimer::singleShot(0, this, [this, index] { entries[size_t(index)].job.reset(); });
    // Receivers may add cameras, which moves the entries: they get copies.
    const AttachedCamera camera = entries[size_t(index)].camera;
    // A fetch that no camera waits for any more is not worth its bandwidth.
    for (const std::shared_ptr<Fetch> &fetch : qAsConst(fetches)) {
        const bool wanted = std::any_of(fetch->members.cbegin(), fetch->members.cend(),
                                        [this](int member) { return !entries[size_t(member)].result; });
        if (!wanted && fetch->members.contains(index))
            fetch->stop.raise();
    }
    emit finished(index, camera, result);
    while (nextInOrder < int(entries.size()) && entries[size_t(nextInOrder)].result) {
        const int next = nextInOrder++;
        const AttachedCamera nextCamera = entries[size_t(next)].camera;
        const UpdateResult nextResult = *entries[size_t(next)].result;
        emit finishedInOrder(next, nextCamera, nextResult);
    }
    startWaiting();
    if (!isBusy())
        emit allFinished();
}
