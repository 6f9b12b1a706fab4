#pragma once

#include "detection/attachedcamera.h"
#include "update/updatejob.h"
#include "update/updateoutcome.h"
#include "update/updateprogress.h"

#include <QObject>
#include <QVector>

#include <memory>
#include <optional>

class UpdateStation;

// The updates of one press: a double-click, Update All, "Update failed again", or a
// camera plugged in while the station updates cameras as they come. A composite job:
// it tells as each camera starts, how it goes and how it ended (once its record is on
// the workstation's disk), and then that the whole run has ended. The station starts
// its cameras as room allows; one camera failing ends only its own update.
//
// The station owns a run; it goes once it has finished and told so.
class UpdateRun : public QObject
{
    Q_OBJECT
public:
    ~UpdateRun() override;

    int count() const { return int(entries.size()); }
    const AttachedCamera &camera(int index) const { return entries[size_t(index)].camera; }
    // How the camera's update ended, once it has.
    std::optional<UpdateOutcome> outcome(int index) const;
    // Whether the camera's update got under way (a stop can end it before its turn).
    bool wasStarted(int index) const { return entries[size_t(index)].started; }
    bool isFinished() const { return told == count(); }

    // Every update not finished stops where that is safe; those not started never start.
    void stop();

signals:
    void cameraStarted(int index);
    void progressed(int index, const UpdateProgress &progress);
    // Its outcome is known and its record kept.
    void cameraFinished(int index);
    void finished();

private:
    friend class UpdateStation;
    struct Entry
    {
        AttachedCamera camera;
        bool started = false;
        std::unique_ptr<UpdateJob> job;
        std::optional<UpdateOutcome> outcome;
        bool told = false;
    };
    UpdateRun(UpdateStation &station, const QVector<AttachedCamera> &cameras);

    // For the station.
    bool isWaiting(int index) const;
    bool isRunning(int index) const;
    void startJob(int index, std::unique_ptr<UpdateJob> job);
    void end(int index, const UpdateOutcome &outcome);
    void tell(int index);
    void finishIfAllTold();

    UpdateStation &station;
    std::vector<Entry> entries;
    int told = 0;
    bool ended = false;
};
