#pragma once

#include "catalogue/catalogueentry.h"
#include "catalogue/firmwaresource.h"
#include "detection/attachedcamera.h"
#include "update/installlimits.h"

#include <QMainWindow>
#include <QModelIndex>
#include <QPointer>
#include <QHash>
#include <QSet>
#include <QVector>

#include <memory>

class QTimer;
class BoxQueue;
class CameraRegistry;
class CameraRows;
class ProgressWindow;
class UpdateStation;
struct JobProgress;
struct UpdateResult;

namespace Ui {
class MainWindow;
}

// The window: a view of the update station's cameras and updates. It lists the
// cameras attached, starts updates on a double-click, Enter or "Update All", shows how
// they go and tells each camera's outcome in a box.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // limits bound what a firmware link may send and how long a push may take; the
    // defaults are the program's.
    explicit MainWindow(QWidget *parent = nullptr, const FirmwareSource &source = {}, const InstallLimits &limits = {});
    ~MainWindow() override;

    void init();

    // Catalogue
    bool getFirmwareVersions();
    bool isUpdateRequired(const AttachedCamera &camera) const;

    // Detection and the device list
    void handleDetection(const AttachedCamera &camera);
    void refreshDeviceView();

    // Updating cameras
    void installFirmware(const QVector<AttachedCamera> &cameras);
    void updateDevice(const AttachedCamera &camera);

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void getAttachedDeviceTZList();
    void on_lw_DeviceView_doubleClicked(QModelIndex index);
    void on_pushButton_clicked();

private:
    void startPollCycle();
    void takeStarted(int index, const AttachedCamera &camera);
    void takeProgress(int index, const JobProgress &job);
    void takeFinished(int index, const AttachedCamera &camera, const UpdateResult &result);
    void takeFinishedInOrder(int index, const AttachedCamera &camera, const UpdateResult &result);
    QRect rowOnScreen(const QString &cameraKey) const;
    void showSource();
    void addMenu();

    Ui::MainWindow *ui = nullptr;
    std::unique_ptr<UpdateStation> station;
    // The cameras attached now, in order of attachment.
    CameraRegistry &attachedDevices;
    // The catalogue, in catalogue order.
    QVector<CatalogueEntry> assets;
    QTimer *pollTimer = nullptr;
    QString baseUrl;
    QString configUrl;

    std::unique_ptr<CameraRows> rows;
    BoxQueue *boxes = nullptr;
    QPointer<ProgressWindow> progress;
    // The run under way (a double-click or Update All): its cameras by their index in
    // the update queue, those still running, and those whose box is still to come.
    QHash<int, QString> runCameras;
    QSet<int> runRunning;
    QSet<int> runToTell;
    bool windowClosed = false;
};
