#pragma once

#include "outside/background.h"
#include "outside/stopflag.h"
#include "update/imagedestination.h"
#include "update/imagefeed.h"
#include "update/updateoutcome.h"
#include "update/updateprogress.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>

// One update: the image a reader brings, written to one destination in the background
// from the moment it starts. It reports progress and ends once, with its outcome.
//
// It can be stopped, and it gives up on its own on an image that has not come in for
// as long as a silent server is waited for, and on a camera that has taken nothing for
// as long. Either way it ends within a few seconds, even when the write hangs on a
// card: the write's thread is then left behind (see outside/background.h), it puts
// nothing in place, and the card keeps its old image.
class UpdateJob : public QObject
{
    Q_OBJECT
public:
    UpdateJob(std::unique_ptr<ImageDestination> destination, std::unique_ptr<ImageFeed::Reader> reader,
              QByteArray digest, int giveUpMs);
    ~UpdateJob() override;

    void start();
    // The technician stopped it, the program is closing (Stopped), or the camera went
    // (Unplugged).
    void stop(UpdateEnd why = UpdateEnd::Stopped, const QString &detail = QStringLiteral("stopped"));

signals:
    void progressed(const UpdateProgress &progress);
    void finished(const UpdateOutcome &outcome);

private:
    void takeProgress(const UpdateProgress &progress);
    void watch();
    void finish(UpdateOutcome outcome);

    std::shared_ptr<ImageDestination> destination;
    std::shared_ptr<ImageFeed::Reader> reader;
    const QByteArray digest;
    const int giveUpMs;
    StopFlag stopFlag;
    UpdateOutcome stoppedWith;
    bool stopping = false, done = false;
    UpdateProgress last;
    QElapsedTimer sinceStarted, sinceReport;
    QTimer watchTimer;
    Mailbox mailbox{this};
};
