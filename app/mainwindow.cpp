#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/boxqueue.h"
#include "app/camerarows.h"
#include "app/formgrowth.h"
#include "app/historydialog.h"
#include "station/updatestation.h"

#include <QAction>
#include <QCoreApplication>
#include <QIcon>
#include <QKeySequence>
#include <QMessageBox>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>

namespace {
const QString bannerBrand = QStringLiteral("ORVA");
constexpr int pollIntervalMs = 1000;
}

MainWindow::MainWindow(QWidget *parent, const FirmwareSource &source, const InstallLimits &limits)
    : QMainWindow(parent),
      ui(new Ui::MainWindow),
      station(std::make_unique<UpdateStation>(UpdateStation::Options{source, limits, {}, QStringLiteral("vek-updater"), {}})),
      attachedDevices(station->cameras()),
      baseUrl(source.address()),
      configUrl(source.catalogueLocation())
{
    ui->setupUi(this);
    new FormGrowth(this);
    rows = std::make_unique<CameraRows>(ui->lw_DeviceView);
    boxes = new BoxQueue(this);
    // Enter on the selected row does what a double-click does.
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto *enter = new QShortcut(QKeySequence(key), ui->lw_DeviceView);
        enter->setContext(Qt::WidgetShortcut);
        connect(enter, &QShortcut::activated, this,
                [this] { on_lw_DeviceView_doubleClicked(ui->lw_DeviceView->currentIndex()); });
    }
    addMenu();
    connect(&attachedDevices, &CameraRegistry::cameraAttached, this, &MainWindow::refreshDeviceView);
    connect(&attachedDevices, &CameraRegistry::cameraChanged, this, &MainWindow::refreshDeviceView);
    connect(&attachedDevices, &CameraRegistry::cameraDetached, this, &MainWindow::refreshDeviceView);
    connect(&attachedDevices, &CameraRegistry::detectionError, this, &MainWindow::handleDetection);
    UpdateQueue &updates = station->updates();
    connect(&updates, &UpdateQueue::started, this, &MainWindow::takeStarted);
    connect(&updates, &UpdateQueue::progressed, this, &MainWindow::takeProgress);
    connect(station.get(), &UpdateStation::updateFinished, this, &MainWindow::takeFinished);
    connect(station.get(), &UpdateStation::updateFinishedInOrder, this, &MainWindow::takeFinishedInOrder);
}

MainWindow::~MainWindow()
{
    delete pollTimer;
    delete ui;
}

void MainWindow::init()
{
    qRegisterMetaType<CatalogueEntry>("CatalogueEntry");
    qRegisterMetaType<AttachedCamera>("AttachedCamera");

    ui->lw_DeviceView->setIconSize(QSize(96, 96));
    // Rows are 100 pixels high: by rows, one wheel notch skipped two of them.
    ui->lw_DeviceView->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Through an icon: it takes the "@2x" file on a high-density screen, and scales
    // smoothly to fit keeping the aspect ratio.
    const QIcon banner(":/" + bannerBrand + "_Banner.png");
    ui->lbl_brandlogo->setPixmap(banner.pixmap(QSize(237, 55)));
    showSource();

    if (!getFirmwareVersions()) {
        QMessageBox::critical(this, "No Internet Connection",
                              "Could not connect to " + baseUrl
                                  + " to download device firwmare versions. Please ensure you have proper "
                                    "internet connection and try again.",
                              QMessageBox::Ok);
    }
    startPollCycle();
}

bool MainWindow::getFirmwareVersions()
{
    const bool loaded = station->loadCatalogue();
    assets = station->catalogue().entries;
    return loaded;
}

void MainWindow::startPollCycle()
{
    pollTimer = new QTimer(this);
    pollTimer->setInterval(pollIntervalMs);
    connect(pollTimer, SIGNAL(timeout()), this, SLOT(getAttachedDeviceTZList()));
    pollTimer->start();
}

void MainWindow::getAttachedDeviceTZList()
{
    station->poll();
}

void MainWindow::addMenu()
{
    // The form keeps its widgets where they are: the history and the program's version
    // are a right-click on the list away, and Ctrl+H anywhere in the window.
    auto *history = new QAction(tr("History…"), this);
    history->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    history->setShortcutContext(Qt::WindowShortcut);
    connect(history, &QAction::triggered, this, [this] {
        auto *view = new HistoryDialog(this, station->history());
        view->setAttribute(Qt::WA_DeleteOnClose);
        view->show();
    });
    auto *about = new QAction(tr("About vek-updater…"), this);
    connect(about, &QAction::triggered, this, [this] {
        QMessageBox::about(this, tr("About vek-updater"),
                           tr("vek-updater %1\n\nUpdates the firmware of VEK cameras plugged in by USB.")
                               .arg(QCoreApplication::applicationVersion()));
    });
    addAction(history);
    ui->lw_DeviceView->setContextMenuPolicy(Qt::ActionsContextMenu);
    ui->lw_DeviceView->addActions({history, about});
}

void MainWindow::showSource()
{
    // The form's version label stays as it is; a source other than the maker's server
    // is told beside it, in the window's status line.
    if (station->source().isBuiltIn())
        return;
    const QString where = station->source().isFolder() ? tr("Firmware from the folder %1")
                                                       : tr("Firmware from the mirror %1");
    statusBar()->showMessage(where.arg(station->source().address()));
    // Below the form, which keeps its size and layout.
    resize(width(), height() + statusBar()->sizeHint().height());
}
