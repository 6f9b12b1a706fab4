#include "cli/cameracommands.h"

#include "catalogue/versionnumber.h"
#include "cli/exitcodes.h"

#include <memory>

namespace {
constexpr int pollIntervalMs = 1000;
// How long an interrupted command waits for its updates to end safely.
constexpr int stopWaitMs = 5000;

UpdateStation::Options stationOptions(const CliRequest &request)
{
    UpdateStation::Options options;
    options.source = request.source;
    // Other programs on the station may use the adb server too.
    options.monitor.stopAdbServerAtEnd = false;
    options.program = QStringLiteral("vek-updater-cli");
    return options;
}

bool needsUpdate(const AttachedCamera &camera)
{
    return updateRequired(camera.entry.modelCode, camera.entry.version, camera.installedVersion);
}

// Mount points are named with or without their final "/".
QString withoutFinalSlash(QString id)
{
    while (id.size() > 1 && id.endsWith('/') && !id.endsWith(":/"))
        id.chop(1);
    return id;
}
}

CameraCommands::CameraCommands(const CliRequest &request, CliPrinter &printer)
    : request(request), printer(printer), station(stationOptions(request))
{
    connect(&station.cameras(), &CameraRegistry::detectionError, this, [this](const AttachedCamera &camera) {
        unreadable << camera;
        if (this->request.command != CliRequest::Command::List)
            CliPrinter::note(camera.id() + ": " + camera.entry.model + " - Detection Error");
    });
    UpdateQueue &updates = station.updates();
    connect(&updates, &UpdateQueue::started, this,
            [this](int index, const AttachedCamera &camera) { updating.insert(index, camera); });
    connect(&updates, &UpdateQueue::progressed, this, [this](int index, const JobProgress &progress) {
        if (updating.contains(index))
            this->printer.progress(updating.value(index).id(), progress);
    });
    connect(&station, &UpdateStation::updateFinished, this,
            [this](int, const AttachedCamera &camera, const UpdateResult &result) { takeResult(camera, result); });
    pollTimer.setInterval(pollIntervalMs);
    connect(&pollTimer, &QTimer::timeout, &station, &UpdateStation::poll);
}

void CameraCommands::start()
{
    if (!station.loadCatalogue()) {
        CliPrinter::note("cannot load the catalogue from " + request.source.catalogueLocation() + ": "
                         + station.catalogue().failure);
        return end(ExitCode::NoCatalogue);
    }
    switch (request.command) {
    case CliRequest::Command::List:
        return onePass([this] { list(); });
    case CliRequest::Command::Update:
        return onePass([this] { update(); });
    default:
        return watch();
    }
}

void CameraCommands::stop()
{
    if (stopping)
        return;
    stopping = true;
    pollTimer.stop();
    // What was asked for and is not done yet will not be.
    anyFailed = anyFailed || station.updates().isBusy();
    station.updates().stop();
    finishWhenIdle();
    QTimer::singleShot(stopWaitMs, this, [this] { end(ExitCode::Failed); });
}

void CameraCommands::onePass(const std::function<void()> &then)
{
    // The first pass of each route, the adb one included, with the window's time limits.
    auto waiting = std::make_shared<QVector<CameraRoute>>(QVector<CameraRoute>{CameraRoute::Card, CameraRoute::Adb});
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(&station.monitor(), &CameraMonitor::passFinished, this,
                          [waiting, connection, then](CameraRoute route) {
                              waiting->removeAll(route);
                              if (!waiting->isEmpty())
                                  return;
                              QObject::disconnect(*connection);
                              then();
                          });
    station.poll();
}

void CameraCommands::list()
{
    const QVector<AttachedCamera> cameras = station.cameras().cameras();
    for (const AttachedCamera &camera : cameras)
        printer.listed(camera, needsUpdate(camera));
    for (const AttachedCamera &camera : qAsConst(unreadable))
        printer.unreadable(camera);
    end(cameras.isEmpty() && unreadable.isEmpty() ? ExitCode::NothingToDo : ExitCode::Done);
}

void CameraCommands::update()
{
    QVector<AttachedCamera> chosen = station.cameras().cameras();
    if (!request.cameras.isEmpty()) {
        QVector<AttachedCamera> named;
        for (const QString &id : request.cameras) {
            const int before = named.size();
            for (const AttachedCamera &camera : qAsConst(chosen)) {
                if (withoutFinalSlash(camera.id()) == withoutFinalSlash(id))
                    named << camera;
            }
            if (named.size() == before) {
                CliPrinter::note("no camera " + id + " is attached");
                anyFailed = true;
            }
        }
        chosen = named;
    }
    if (chosen.isEmpty()) {
        CliPrinter::note(QStringLiteral("nothing to update: no camera attached, or none of the ones named"));
        return end(ExitCode::NothingToDo);
    }
    station.updates().add(chosen);
    finishWhenIdle();
}

void CameraCommands::watch()
{
    // Each camera once per attachment, as it is plugged in.
    connect(&station.cameras(), &CameraRegistry::cameraAttached, this, [this](const AttachedCamera &camera) {
        if (!stopping)
            station.updates().add({camera});
    });
    station.poll();
    pollTimer.start();
}

void CameraCommands::takeResult(const AttachedCamera &camera, const UpdateResult &result)
{
    if (result.skipped)
        return;
    anyFailed = anyFailed || !result.succeeded();
    printer.result(camera, result, station.messageFor(camera, result));
}

void CameraCommands::finishWhenIdle()
{
    const auto finish = [this] { end(anyFailed ? ExitCode::Failed : ExitCode::Done); };
    if (!station.updates().isBusy())
        return finish();
    connect(&station, &UpdateStation::allTold, this, finish);
}

void CameraCommands::end(int exitCode)
{
    if (!ended)
        emit done(exitCode);
    ended = true;
}
