#pragma once

#include "catalogue/firmwaresource.h"
#include "detection/attachedcamera.h"
#include "station/updatestation.h"

#include <QMainWindow>
#include <QModelIndex>

#include <memory>

class ArrivalUpdates;
class BoxQueue;
class CameraRows;
class QAction;
class QLabel;
class QStatusBar;
class RunViews;

namespace Ui {
class MainWindow;
}

// The window: a view of the update station's cameras and updates. It lists the
// cameras attached, starts updates on a double-click, Enter, "Update All", or as
// cameras are plugged in, shows how they go without locking anything, and tells the
// outcome: a box for one camera, a summary for several.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // limits bound what a firmware link may send, how long a push may take and how
    // many updates run at once; the defaults are the program's.
    explicit MainWindow(QWidget *parent = nullptr, const FirmwareSource &source = {}, const InstallLimits &limits = {});
    ~MainWindow() override;

    // Reads the catalogue; the window shows once it is read, or once the technician has
    // closed the box that says it could not be.
    void init();

    // Catalogue
    void getFirmwareVersions();
    bool isUpdateRequired(const AttachedCamera &camera) const;

    // Detection and the device list
    void handleDetection(const AttachedCamera &camera);
    void refreshDeviceView();

    // Updating cameras
    void updateDevice(const AttachedCamera &camera);
    void updateAll();
    void updateCameraAt(const QModelIndex &index);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void takeCatalogue(bool loaded);
    void showSource();
    void showArrivalCount(int updated);
    void nameSlotOfCurrentRow();
    bool orderBySlot() const;
    QStatusBar *statusLine();
    void addMenu();
    void fitButtonToItsText();
    void nameControls();

    Ui::MainWindow *ui = nullptr;
    UpdateStation station;
    std::unique_ptr<CameraRows> rows;
    BoxQueue *boxes = nullptr;
    RunViews *runViews = nullptr;
    ArrivalUpdates *arrivals = nullptr;
    QAction *arrivalAction = nullptr;
    QLabel *arrivalCount = nullptr;
    bool closing = false;
};
