#pragma once

#include "catalogue/catalogueload.h"
#include "catalogue/firmwaresource.h"
#include "detection/cameramonitor.h"
#include "detection/cameraregistry.h"
#include "history/updatehistory.h"
#include "outside/background.h"
#include "station/updaterun.h"
#include "update/adbdestination.h"
#include "station/stationreports.h"
#include "update/firmwarecache.h"
#include "update/imagesupply.h"
#include "update/updatemessages.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <memory>

// Every bound an update works within; the defaults are the program's.
struct InstallLimits
{
    DownloadLimits download;
    AdbPushTimeLimit push;
    // The most updates that run at once: every camera of a bench's tray.
    int updatesAtOnce = 32;
};

// What both front ends drive, the window and the command line alike: the catalogue,
// the cameras attached now, the runs of updates on them, and the history that keeps
// each. It holds no widget: the front ends show what it tells.
//
// One update, from a press to the camera: the front end asks the station to start a
// run of cameras (UpdateRun); for each camera that needs the catalogue's firmware the
// station takes a reader of its image from the image supply (ImageSupply: one fetch
// per image, however many cameras take it) and a destination for it (a card, an adb
// camera), and starts an UpdateJob, which writes the image in the background
// (writeImage) and ends with an UpdateOutcome; the station keeps its record, and the
// run tells the front end, which words it with translatedUpdateMessage() (updateMessage()
// for what a script or the history keeps, always in English).
class UpdateStation : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        FirmwareSource source;
        InstallLimits limits;
        MonitorOptions monitor;
        QString program;       // which program ran an update, for the history
        QString historyFolder; // empty: the user's data location
        QString cacheFolder;   // empty: the user's cache location
        QString metricsFolder = {}; // for the node exporter's textfile collector; empty: none
        QString stationName = {};   // the bench's name in its metrics and journal entries; empty: the host name
    };

    explicit UpdateStation(const Options &options);
    ~UpdateStation() override;

    // Reads the catalogue in the background; catalogueLoaded tells how it went.
    void loadCatalogue();
    const LoadedCatalogue &catalogue() const { return loaded; }

    // Looks for cameras from now on, as they come and go.
    void startWatching();
    // One look for cameras now, by every route; passFinished tells as each is done.
    void lookOnce();
    QVector<AttachedCamera> cameras() const;
    std::optional<AttachedCamera> camera(const QString &key) const;
    // Names the USB slot at portPath (see SlotNames); its cameras change their place.
    bool nameSlot(const QString &portPath, const QString &name, QString *why);

    // Updates these cameras, side by side; those already being updated are left out.
    // The run belongs to the station, and goes once it has told its end.
    UpdateRun *start(const QVector<AttachedCamera> &cameras);
    bool isUpdating(const AttachedCamera &camera) const;
    int updatesUnderWay() const;
    // Stops every run.
    void stop();
    bool isIdle() const { return runs.isEmpty(); }

    const FirmwareSource &source() const { return options.source; }
    const InstallLimits &limits() const { return options.limits; }
    const UpdateHistory &history() const { return updateHistory; }
    UpdateMessage messageFor(const AttachedCamera &camera, const UpdateOutcome &outcome) const;

signals:
    void catalogueLoaded(bool loaded);
    void cameraAttached(const AttachedCamera &camera);
    void cameraChanged(const AttachedCamera &camera);
    void cameraDetached(const AttachedCamera &camera);
    // A camera whose version cannot be read: once per attachment.
    void detectionError(const AttachedCamera &camera);
    // A look by that route has been taken in.
    void passFinished(CameraRoute route);
    // A camera's update started or ended.
    void updatingChanged(const AttachedCamera &camera);
    // No run is left.
    void idle();

private:
    friend class UpdateRun;
    // The camera as the front ends see it: with its slot's name.
    static AttachedCamera named(AttachedCamera camera);
    void startWaiting();
    void launch(UpdateRun &run, int index);
    std::unique_ptr<ImageDestination> destinationFor(const AttachedCamera &camera) const;
    void takeOutcome(UpdateRun &run, int index);
    void cameraGone(const AttachedCamera &camera);
    void record(UpdateRun &run, int index);
    void writeNextRecord();
    void tellBench();

    const Options options;
    LoadedCatalogue loaded;
    CameraRegistry registry;
    CameraMonitor monitor;
    FirmwareCache cache;
    ImageSupply supply;
    UpdateHistory updateHistory;
    StationReports reports;
    QList<QPointer<UpdateRun>> runs; // in the order they were started
    QSet<QString> updating;          // keys of cameras under way
    QSet<QString> busyDevices;       // their volumes and adb devices
    struct PendingRecord
    {
        QPointer<UpdateRun> run;
        int index;
        HistoryRecord record;
        QString slot; // for the workshop's monitoring
    };
    QList<PendingRecord> records; // written one after the other
    bool writingRecord = false;
    bool historyFailureLogged = false;
    StopFlag closing;
    Mailbox mailbox{this};
};
