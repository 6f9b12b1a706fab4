#pragma once

#include "catalogue/catalogueentry.h"
#include "detection/adbscanner.h"
#include "detection/cameraregistry.h"
#include "detection/volumepass.h"
#include "outside/background.h"
#include "outside/stopflag.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QVector>

#include <memory>

struct MonitorOptions
{
    // How long a pass waits for a volume before passing it over.
    int volumeTimeLimitMs = 2000;
    // The window stops the adb server it started; a command line leaves it to whatever
    // else may be using it.
    bool stopAdbServerAtEnd = true;
};

// Finds the cameras attached now and hands them to a registry. A pass of each route
// runs in the background (the mounted volumes, each probed with a time limit; adb,
// asked which devices are ready and, once per attachment, what a new device holds);
// the thread that polls only receives their values. A route whose last pass is still
// running is not asked again.
class CameraMonitor : public QObject
{
    Q_OBJECT
public:
    // Starts the adb server in the background.
    explicit CameraMonitor(CameraRegistry &registry, MonitorOptions options = {});
    // Ends the adb side within a few seconds, whatever adb does.
    ~CameraMonitor() override;

    void setCatalogue(const QVector<CatalogueEntry> &entries);
    void poll();
    // The camera's files changed (an image was pushed): read its serial again.
    void rereadAdbSerial(const QString &serial);

signals:
    // A pass of the route has been taken in.
    void passFinished(CameraRoute route);

private:
    struct SerialReading
    {
        QVector<AttachedCamera> cameras;
        int passesSinceRead = 0;
        bool stale = false;
    };

    void takeVolumePass(const VolumePass &pass);
    void takeAdbPass(const AdbPass &pass);
    QStringList serialsNotToRead() const;

    CameraRegistry &registry;
    const MonitorOptions options;
    QVector<CatalogueEntry> entries;
    QStringList modelCodes;
    bool hasAdbModels = false;
    std::shared_ptr<UnansweredVolumes> unanswered = std::make_shared<UnansweredVolumes>();
    bool volumePassRunning = false;
    bool adbPassRunning = false;
    QHash<QString, SerialReading> serials;
    StopFlag stop;
    Pending<bool> serverStarted;
    Pending<bool> adbPassEnded;
    Mailbox mailbox{this};
};
