#pragma once

#include "app/devicerow.h"
#include "catalogue/assetinformation.h"
#include "detection/adbreading.h"
#include "detection/mountedvolume.h"
#include "update/installlimits.h"
#include "update/progresstext.h"

#include <QJsonObject>
#include <QMainWindow>
#include <QModelIndex>
#include <QVector>

#include <memory>
#include <optional>

class QThread;
class QTimer;
class adbscanner;
class AdbRouting;
class FirmwareCache;

namespace Ui {
class MainWindow;
}

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // An empty baseAddress means the maker's built-in firmware folder; limits bound
    // what a firmware link may send and how long a push may take.
    explicit MainWindow(QWidget *parent = nullptr, const QString &baseAddress = QString(),
                        const InstallLimits &limits = {});
    ~MainWindow() override;

    void init();

    // Catalogue
    bool getFirmwareVersions();
    void addAsset(QString key, QJsonObject entry);
    QString getModelCode(QString name);
    double getVersionNumber(QString version);
    bool isUpdateRequired(ASSET_INFORMATION *asset);

    // Detection and the device list
    QByteArray readVersionFile(const QString &rootPath, ASSET_INFORMATION *asset);
    void handleDetection(ASSET_INFORMATION *asset);
    void refreshDeviceView();
    void handleAdbResult(ASSET_INFORMATION *result, const AdbReading &reading);

    // Updating a camera
    int installFirmware(ASSET_INFORMATION *asset);
    QByteArray runProcess(const QString &program, const QStringList &arguments);
    void updateDevice(ASSET_INFORMATION *asset);

    // The attached cameras, for the benchmarks that drive the window.
    const QVector<ASSET_INFORMATION *> &attachedDeviceList() const { return attachedDevices; }

protected:
    void closeEvent(QCloseEvent *event) override;

signals:
    // The record pointer only identifies the query; the worker never dereferences it.
    void getAdbDevice(ASSET_INFORMATION *asset, const QString &modelCode);

private slots:
    void getAttachedDeviceTZList();
    void on_lw_DeviceView_doubleClicked(QModelIndex index);
    void on_pushButton_clicked();
    void pollUsbDevices(ASSET_INFORMATION *tzAsset);

private:
    void startPollCycle();
    void stopPollCycle();
    QVector<MountedVolume> volumesForScan() const;
    ASSET_INFORMATION *deviceShownInRow(int row) const;
    void updateOneDevice(ASSET_INFORMATION *asset);
    void selectDeviceRow(ASSET_INFORMATION *device);
    QRect deviceRowOnScreen(ASSET_INFORMATION *device) const;

    QThread *workerThread = nullptr;
    adbscanner *scanner = nullptr;
    Ui::MainWindow *ui = nullptr;
    QVector<ASSET_INFORMATION *> attachedDevices;
    QVector<ASSET_INFORMATION *> assets;
    QTimer *pollTimer = nullptr;
    QString baseUrl;
    QString configUrl;

    std::unique_ptr<VolumeSource> volumeSource;
    // Volumes listed once at the start of a poll pass and shared by its storage scans.
    std::optional<QVector<MountedVolume>> passVolumes;
    std::unique_ptr<AdbRouting> adbRouting;
    std::unique_ptr<FirmwareCache> firmwareCache;
    // What each row shows, as the list was last drawn: between two passes this, not
    // attachedDevices, says which camera a row stands for.
    QVector<ShownRow> shownDevices;
    // The running update's place in "Update All", for the progress window to tell.
    UpdateRunPlace runPlace;
    InstallLimits limits;
    // Set from the start of an update (or of Update All) until its last box is closed:
    // the window stays live meanwhile, and a second update would race the first for
    // the same camera.
    bool updateRunning = false;
    // Once closed, quitting ends every nested wait at once; nothing may go on unseen.
    bool windowClosed = false;
};
