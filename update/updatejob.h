#pragma once

#include "outside/background.h"
#include "outside/stopflag.h"
#include "update/camerawrite.h"
#include "update/imagefeed.h"
#include "update/imagefetch.h"
#include "update/updatephase.h"
#include "update/updateresult.h"

#include <QElapsedTimer>
#include <QMetaType>
#include <QObject>
#include <QTimer>

#include <memory>

// How far one camera's update has come.
struct JobProgress
{
    UpdatePhase phase = UpdatePhase::Downloading;
    qint64 done = 0;     // bytes the camera has taken, or of the step
    qint64 total = -1;   // -1: not known
    qint64 silentMs = 0; // how long the image has not come in while this camera waits for it
};
Q_DECLARE_METATYPE(JobProgress)

// One camera's update: its write runs in the background from the moment it starts,
// and it ends once, with the outcome the window and the command line report. The image
// comes from a fetch that may serve other cameras too; whoever runs the fetch tells
// the job how it ended.
//
// It can be stopped, and it gives up on its own on a camera that has taken nothing for
// as long as a silent server is waited for. Either way it ends within a few seconds,
// even when the write hangs on a card: the write's thread is then left behind, and the
// card keeps its old image.
class UpdateJob : public QObject
{
    Q_OBJECT
public:
    UpdateJob(const CameraWrite &write, std::unique_ptr<ImageFeed::Reader> reader, int giveUpMs);
    ~UpdateJob() override;

    void start();
    void takeFetchEnd(const FetchResult &fetch);
    // The technician stopped it, the program is closing, or the camera went.
    void stop(FailureCause cause);


signals:
    void progressed(const JobProgress &progress);
    void finished(const UpdateResult &result);

private:
    struct Report
    {
        UpdatePhase phase;
        qint64 done;
        qint64 total;
    };
    void takeReport(const Report &report);
    void takeWrite(const CameraWriteResult &result);
    void checkStall();
    void finish(int outcome, FailureCause cause);

    const CameraWrite write;
    std::shared_ptr<ImageFeed::Reader> reader;
    const int giveUpMs;
    StopFlag stopFlag;
    FailureCause stopCause = FailureCause::None;
    std::optional<FetchResult> fetch;
    std::optional<CameraWriteResult> written;
    bool done = false;
    JobProgress last;
    QElapsedTimer sinceStarted, sinceProgress, sinceReport;
    QTimer watch;
    Mailbox mailbox{this};
};
