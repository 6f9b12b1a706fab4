#pragma once

#include "detection/attachedcamera.h"

#include <QObject>

class UpdateRun;
class UpdateStation;

// Updates every camera as it is plugged in, once per attachment: a docking bench where
// nobody presses anything. A camera whose update failed is left alone until it is
// plugged in again, or the technician starts it.
class ArrivalUpdates : public QObject
{
    Q_OBJECT
public:
    explicit ArrivalUpdates(UpdateStation &station);

    // Counting the cameras updated from now on.
    void setEnabled(bool enabled);
    bool isEnabled() const { return enabled; }
    int updatedSinceEnabled() const { return updated; }

signals:
    void runStarted(UpdateRun *run);
    void updatedCountChanged(int updated);

private:
    void take(const AttachedCamera &camera);

    UpdateStation &station;
    bool enabled = false;
    int updated = 0;
};
