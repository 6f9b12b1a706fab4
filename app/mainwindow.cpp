#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "detection/adbscanner.h"
#include "detection/storagevolumesource.h"
#include "app/adbrouting.h"
#include "update/firmwarecache.h"

#include <QIcon>
#include <QMessageBox>
#include <QPixmap>
#include <QThread>
#include <QTimer>

namespace {
const QString builtInBaseUrl = QStringLiteral(VEK_BASE_URL);
const QString bannerBrand = QStringLiteral("ORVA");
}

MainWindow::MainWindow(QWidget *parent, const QString &baseAddress, const InstallLimits &limits)
    : QMainWindow(parent), limits(limits)
{
    workerThread = new QThread;
    scanner = new adbscanner;
    ui = new Ui::MainWindow;
    baseUrl = baseAddress.isEmpty() ? builtInBaseUrl : baseAddress;
    configUrl = baseUrl + "/" + "vek-updater-config.txt";
    volumeSource = std::make_unique<StorageVolumeSource>();
    adbRouting = std::make_unique<AdbRouting>();
    firmwareCache = std::make_unique<FirmwareCache>();
    ui->setupUi(this);
}

MainWindow::~MainWindow()
{
    stopPollCycle();
    delete ui;
    // The worker has finished by now, so no one can still refer to a record.
    qDeleteAll(assets);
}

void MainWindow::init()
{
    qRegisterMetaType<ASSET_INFORMATION>("ASSET_INFORMATION");
    qRegisterMetaType<ASSET_INFORMATION *>("ASSET_INFORMATION*");
    qRegisterMetaType<AdbReading>("AdbReading");

    ui->lw_DeviceView->setIconSize(QSize(96, 96));
    // Rows are 100 pixels high: by rows, one wheel notch skipped two of them.
    ui->lw_DeviceView->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Through an icon: it takes the "@2x" file on a high-density screen, and scales
    // smoothly to fit keeping the aspect ratio.
    const QIcon banner(":/" + bannerBrand + "_Banner.png");
    ui->lbl_brandlogo->setPixmap(banner.pixmap(QSize(237, 55)));

    if (!getFirmwareVersions()) {
        QMessageBox::critical(this, "No Internet Connection",
                              "Could not connect to " + baseUrl
                                  + " to download device firwmare versions. Please ensure you have proper "
                                    "internet connection and try again.",
                              QMessageBox::Ok);
    }
    startPollCycle();
}
