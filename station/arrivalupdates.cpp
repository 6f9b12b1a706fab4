#include "station/arrivalupdates.h"

#include "station/updatestation.h"

ArrivalUpdates::ArrivalUpdates(UpdateStation &station) : station(station)
{
    connect(&station, &UpdateStation::cameraAttached, this, &ArrivalUpdates::take);
}

void ArrivalUpdates::setEnabled(bool on)
{
    enabled = on;
    updated = 0;
    emit updatedCountChanged(updated);
}

void ArrivalUpdates::take(const AttachedCamera &camera)
{
    if (!enabled)
        return;
    UpdateRun *run = station.start({camera});
    connect(run, &UpdateRun::cameraFinished, this, [this, run](int index) {
        if (enabled && run->outcome(index)->end == UpdateEnd::Installed)
            emit updatedCountChanged(++updated);
    });
    emit runStarted(run);
}
