#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/boxqueue.h"
#include "app/camerarows.h"
#include "app/formgrowth.h"
#include "app/historydialog.h"
#include "app/itemcontextmenu.h"
#include "app/runviews.h"
#include "catalogue/versionnumber.h"
#include "outside/settings.h"
#include "station/arrivalupdates.h"
#include "station/slotnames.h"

#include <QAction>
#include <QCloseEvent>
#include <QCollator>
#include <QCoreApplication>
#include <QEventLoop>
#include <QIcon>
#include <QInputDialog>
#include <QKeySequence>
#include <QLabel>
#include <QMessageBox>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>

namespace {
const QString bannerBrand = QStringLiteral("ORVA");
// How long a closing window waits for stopped updates to end (each keeping its card's
// old image) before the program ends regardless.
constexpr int closingWaitMs = 3000;

UpdateStation::Options stationOptions(const FirmwareSource &source, const InstallLimits &limits)
{
    UpdateStation::Options options;
    options.source = source;
    options.limits = limits;
    options.program = QStringLiteral("vek-updater");
    const std::unique_ptr<QSettings> settings = workstationSettings();
    options.metricsFolder = settings->value(QStringLiteral("metrics/folder")).toString();
    options.stationName = settings->value(QStringLiteral("metrics/station")).toString();
    return options;
}
}

MainWindow::MainWindow(QWidget *parent, const FirmwareSource &source, const InstallLimits &limits)
    : QMainWindow(parent), ui(new Ui::MainWindow), station(stationOptions(source, limits))
{
    ui->setupUi(this);
    fitButtonToItsText();
    new FormGrowth(this);
    rows = std::make_unique<CameraRows>(ui->lw_DeviceView);
    boxes = new BoxQueue(this);
    runViews = new RunViews(this, station, *rows, *boxes);
    arrivals = new ArrivalUpdates(station);
    arrivals->setParent(this);
    connect(ui->lw_DeviceView, &QListWidget::doubleClicked, this, &MainWindow::updateCameraAt);
    connect(ui->pushButton, &QPushButton::clicked, this, &MainWindow::updateAll);
    // Enter on the selected row does what a double-click does.
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto *enter = new QShortcut(QKeySequence(key), ui->lw_DeviceView);
        enter->setContext(Qt::WidgetShortcut);
        connect(enter, &QShortcut::activated, this, [this] { updateCameraAt(ui->lw_DeviceView->currentIndex()); });
    }
    addMenu();
    nameControls();
    connect(&station, &UpdateStation::cameraAttached, this, &MainWindow::refreshDeviceView);
    connect(&station, &UpdateStation::cameraChanged, this, &MainWindow::refreshDeviceView);
    connect(&station, &UpdateStation::cameraDetached, this, &MainWindow::refreshDeviceView);
    connect(&station, &UpdateStation::detectionError, this, &MainWindow::handleDetection);
    connect(&station, &UpdateStation::catalogueLoaded, this, &MainWindow::takeCatalogue);
    connect(runViews, &RunViews::updateAgainRequested, this, [this](const QVector<AttachedCamera> &cameras) {
        // Those still attached, as they are now.
        QVector<AttachedCamera> attached;
        for (const AttachedCamera &camera : cameras) {
            if (const std::optional<AttachedCamera> now = station.camera(camera.key()))
                attached << *now;
        }
        if (!attached.isEmpty())
            runViews->followAsked(station.start(attached));
    });
    connect(arrivals, &ArrivalUpdates::runStarted, this,
            [this](UpdateRun *run) { runViews->follow(run, RunViews::Telling::Rows); });
    connect(arrivals, &ArrivalUpdates::updatedCountChanged, this, &MainWindow::showArrivalCount);
}

MainWindow::~MainWindow()
{
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
    const std::unique_ptr<QSettings> settings = workstationSettings();
    restoreGeometry(settings->value(QStringLiteral("window/geometry")).toByteArray());
    getFirmwareVersions();
}

void MainWindow::getFirmwareVersions()
{
    station.loadCatalogue();
}

void MainWindow::takeCatalogue(bool loaded)
{
    const auto ready = [this] {
        station.startWatching();
        if (!closing)
            show();
    };
    if (loaded)
        return ready();
    // A source this workstation does not trust is no network trouble: the box says why.
    if (station.catalogue().signatureProblem != SignatureProblem::None)
        return boxes->show({true, tr("Firmware Source Not Trusted"),
                            station.catalogue().failure + '\n' + tr("No camera is updated from it."), {}},
                           ready);
    boxes->show({true, tr("No Internet Connection"),
                 tr("Could not connect to %1 to download device firwmare versions. Please ensure you have proper "
                    "internet connection and try again.")
                     .arg(station.source().address()),
                 {}},
                ready);
}

bool MainWindow::isUpdateRequired(const AttachedCamera &camera) const
{
    return updateRequired(camera.entry.modelCode, camera.entry.version, camera.installedVersion);
}

void MainWindow::handleDetection(const AttachedCamera &camera)
{
    // Once per attachment: the station tells of it once until the card goes.
    boxes->show({true, tr("%1 - Detection Error").arg(camera.entry.model),
                 tr("Unable to read version info.") + '\n' + tr("Please ensure the SD card is plugged in and try again."),
                 {}});
}

void MainWindow::refreshDeviceView()
{
    QVector<AttachedCamera> cameras = station.cameras();
    if (orderBySlot()) {
        // "A2" before "A10"; cameras in slots without a name keep their order, after them.
        QCollator collator;
        collator.setNumericMode(true);
        std::stable_sort(cameras.begin(), cameras.end(), [&](const AttachedCamera &a, const AttachedCamera &b) {
            if (a.slotName.isEmpty() || b.slotName.isEmpty())
                return !a.slotName.isEmpty() && b.slotName.isEmpty();
            return collator.compare(a.slotName, b.slotName) < 0;
        });
    }
    QVector<bool> needsUpdate;
    for (const AttachedCamera &camera : cameras)
        needsUpdate << isUpdateRequired(camera);
    rows->show(cameras, needsUpdate);
}

void MainWindow::updateDevice(const AttachedCamera &camera)
{
    if (closing)
        return;
    if (station.isUpdating(camera)) {
        statusLine()->showMessage(tr("%1 is being updated already").arg(camera.entry.model), 5000);
        return;
    }
    runViews->follow(station.start({camera}), RunViews::Telling::Box);
}

void MainWindow::updateAll()
{
    // The cameras not being updated already, each once.
    QVector<AttachedCamera> cameras;
    for (const AttachedCamera &camera : station.cameras()) {
        if (!station.isUpdating(camera))
            cameras << camera;
    }
    if (closing || cameras.isEmpty())
        return;
    runViews->followAsked(station.start(cameras));
}

void MainWindow::updateCameraAt(const QModelIndex &index)
{
    // A row whose camera has gone since the list was drawn designates nothing.
    const std::optional<AttachedCamera> shown = rows->cameraAt(index.row());
    if (!shown)
        return;
    if (const std::optional<AttachedCamera> camera = station.camera(shown->key()))
        updateDevice(*camera);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // As Stop does: every update ends where that is safe, nothing more is told, and the
    // window waits a little for them so that no card is left half written.
    closing = true;
    runViews->quiet();
    workstationSettings()->setValue(QStringLiteral("window/geometry"), saveGeometry());
    station.stop();
    if (!station.isIdle()) {
        QEventLoop wait;
        connect(&station, &UpdateStation::idle, &wait, &QEventLoop::quit);
        QTimer::singleShot(closingWaitMs, &wait, &QEventLoop::quit);
        wait.exec();
    }
    QMainWindow::closeEvent(event);
}

void MainWindow::addMenu()
{
    // The form keeps its widgets where they are: the history, the automatic mode and
    // the program's version are a right-click on the list away (or the Menu key, or
    // Shift+F10), and have shortcuts of their own.
    auto *history = new QAction(tr("&History…"), this);
    history->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    history->setShortcutContext(Qt::WindowShortcut);
    connect(history, &QAction::triggered, this, [this] {
        auto *view = new HistoryDialog(this, station.history());
        view->setAttribute(Qt::WA_DeleteOnClose);
        view->show();
    });
    arrivalAction = new QAction(tr("&Update cameras as they are plugged in"), this);
    arrivalAction->setCheckable(true);
    arrivalAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_U));
    arrivalAction->setShortcutContext(Qt::WindowShortcut);
    connect(arrivalAction, &QAction::toggled, this, [this](bool on) {
        arrivals->setEnabled(on);
        workstationSettings()->setValue(QStringLiteral("updateOnArrival"), on);
        showArrivalCount(0);
    });
    arrivalAction->setChecked(workstationSettings()->value(QStringLiteral("updateOnArrival"), false).toBool());
    auto *nameSlot = new QAction(tr("&Name this slot…"), this);
    connect(nameSlot, &QAction::triggered, this, &MainWindow::nameSlotOfCurrentRow);
    auto *bySlot = new QAction(tr("&Order by slot name"), this);
    bySlot->setCheckable(true);
    bySlot->setChecked(orderBySlot());
    connect(bySlot, &QAction::toggled, this, [this](bool on) {
        workstationSettings()->setValue(QStringLiteral("rows/orderBySlot"), on);
        refreshDeviceView();
    });
    // The progress window shows without taking the keyboard from the list: F6 goes there
    // (and back), to its Stop button.
    auto *progress = new QAction(tr("Go to the &progress of updates"), this);
    progress->setShortcut(QKeySequence(Qt::Key_F6));
    progress->setShortcutContext(Qt::WindowShortcut);
    connect(progress, &QAction::triggered, this, [this] {
        if (!runViews->goToProgress())
            statusLine()->showMessage(tr("No update is under way"), 5000);
    });
    auto *about = new QAction(tr("&About vek-updater…"), this);
    connect(about, &QAction::triggered, this, [this] {
        QMessageBox::about(this, tr("About vek-updater"),
                           tr("vek-updater %1\n\nUpdates the firmware of VEK cameras plugged in by USB.")
                               .arg(QCoreApplication::applicationVersion()));
    });
    addActions({history, arrivalAction, progress});
    ui->lw_DeviceView->addActions({nameSlot, bySlot, history, arrivalAction, progress, about});
    new ItemContextMenu(ui->lw_DeviceView);
}

void MainWindow::nameSlotOfCurrentRow()
{
    const std::optional<AttachedCamera> camera = rows->cameraAt(ui->lw_DeviceView->currentRow());
    if (!camera)
        return;
    if (camera->slot.isEmpty()) {
        statusLine()->showMessage(tr("This camera is on no USB slot of this workstation"), 5000);
        return;
    }
    bool ok = false;
    const QString name = QInputDialog::getText(this, tr("Name this slot"),
                                               tr("Name of the USB slot %1 (empty: no name):").arg(camera->slot),
                                               QLineEdit::Normal, camera->slotName, &ok);
    QString why;
    if (ok && !station.nameSlot(camera->slot, name, &why))
        statusLine()->showMessage(why, 5000);
}

bool MainWindow::orderBySlot() const
{
    // Once any slot has a name, the tray's order is the natural one.
    return workstationSettings()->value(QStringLiteral("rows/orderBySlot"), !SlotNames::all().isEmpty()).toBool();
}

void MainWindow::showArrivalCount(int updated)
{
    if (!arrivalCount) {
        if (!arrivals->isEnabled())
            return;
        arrivalCount = new QLabel;
        statusLine()->addPermanentWidget(arrivalCount);
    }
    arrivalCount->setVisible(arrivals->isEnabled());
    arrivalCount->setText(tr("Updating cameras as they are plugged in: %n updated", nullptr, updated));
}

QStatusBar *MainWindow::statusLine()
{
    // Below the form, which keeps its size and layout: the window grows by the line.
    if (!findChild<QStatusBar *>()) {
        QStatusBar *line = statusBar();
        resize(width(), height() + line->sizeHint().height());
    }
    return statusBar();
}

void MainWindow::showSource()
{
    // The form's version label stays as it is; a source other than the maker's server
    // is told beside it, in the window's status line.
    if (station.source().isBuiltIn())
        return;
    const QString where = station.source().isFolder() ? tr("Firmware from the folder %1")
                                                      : tr("Firmware from the mirror %1");
    statusLine()->showMessage(where.arg(station.source().address()));
}

void MainWindow::fitButtonToItsText()
{
    // The form gives "Update All" its width; a longer translation widens the button to
    // the left, so that it still ends where the list does.
    QPushButton *button = ui->pushButton;
    const int needed = button->fontMetrics().horizontalAdvance(button->text())
                       + 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
    if (needed > button->width())
        button->setGeometry(button->geometry().adjusted(button->width() - needed, 0, 0, 0));
}

void MainWindow::nameControls()
{
    // What a screen reader says of each control, and the keys that reach it.
    ui->lbl_brandlogo->setAccessibleName(tr("%1 logo").arg(bannerBrand));
    ui->lw_DeviceView->setAccessibleName(tr("Cameras"));
    ui->lw_DeviceView->setAccessibleDescription(
        tr("Enter updates the selected camera; the Menu key or Shift+F10 opens more"));
    ui->pushButton->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
    ui->pushButton->setToolTip(tr("Updates every camera that needs it (%1)")
                                   .arg(ui->pushButton->shortcut().toString(QKeySequence::NativeText)));
    ui->pushButton->setAccessibleDescription(ui->pushButton->toolTip());
    setTabOrder(ui->lw_DeviceView, ui->pushButton);
}
