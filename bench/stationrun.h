#pragma once

#include "station/updatestation.h"

#include <QString>
#include <QVector>

// An update station of its own, as the window holds one: its image cache starts empty,
// so every update it runs downloads its image. Once the catalogue is loaded it watches
// for cameras as the front ends do (CameraMonitor::startWatching), until it goes.
class BenchStation
{
public:
    explicit BenchStation(const FirmwareSource &source);

    // Loads the catalogue (the first time) and polls until the station lists `count` cameras.
    bool findCameras(int count, QString *why);
    QVector<AttachedCamera> cameras() { return station.cameras().cameras(); }

    struct Run
    {
        double seconds = 0;
        QString failure; // empty when every camera took its image
    };
    // Gives the cameras to the update queue, as "Update All" or a double-click does, and
    // waits until every one has finished: the time from the one to the other.
    Run update(const QVector<AttachedCamera> &cameras, int timeoutMs = 600000);

    UpdateStation station;

private:
    bool watching = false;
};
