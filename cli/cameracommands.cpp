#include "cli/cameracommands.h"

#include "catalogue/versionnumber.h"
#include "cli/exitcodes.h"

#include <QFileInfo>

#include <csignal>

namespace {
// How long an interrupted command waits for its updates to end safely.
constexpr int stopWaitMs = 5000;

UpdateStation::Options stationOptions(const CliRequest &request)
{
    UpdateStation::Options options;
    options.source = request.source;
    // Other programs on the station may use the adb server too.
    options.monitor.stopAdbServerAtEnd = false;
    options.program = QStringLiteral("vek-updater-cli");
    options.metricsFolder = request.metricsFolder;
    options.stationName = request.stationName;
    return options;
}

bool needsUpdate(const AttachedCamera &camera)
{
    return updateRequired(camera.entry.modelCode, camera.entry.version, camera.installedVersion);
}

// One camera can be named in several ways: a mount point with or without its final
// "/", through a link, or relative to the working folder.
QString sameCamera(const QString &id)
{
    if (id.startsWith(QLatin1String("adb:")))
        return id;
    const QString resolved = QFileInfo(id).canonicalFilePath();
    return resolved.isEmpty() ? QFileInfo(id).absoluteFilePath() : resolved;
}
}

CameraCommands::CameraCommands(const CliRequest &request, CliPrinter &printer)
    : request(request), printer(printer), station(stationOptions(request))
{
    connect(&station, &UpdateStation::detectionError, this, [this](const AttachedCamera &camera) {
        if (this->request.command == CliRequest::Command::List)
            unreadable << camera;
        else
            CliPrinter::note(tr("%1: %2 - Detection Error").arg(camera.id(), camera.entry.model));
    });
    connect(&arrivals, &ArrivalUpdates::runStarted, this, &CameraCommands::follow);
}

void CameraCommands::start()
{
    connect(&station, &UpdateStation::catalogueLoaded, this, [this](bool loaded) {
        if (!loaded) {
            CliPrinter::note(tr("cannot load the catalogue from %1: %2")
                                 .arg(request.source.catalogueLocation(), station.catalogue().failure));
            return end(ExitCode::NoCatalogue);
        }
        switch (request.command) {
        case CliRequest::Command::List:
            return lookOnce([this] { list(); });
        case CliRequest::Command::Update:
            return lookOnce([this] { update(); });
        default:
            return watch();
        }
    });
    station.loadCatalogue();
}

void CameraCommands::stop(int signal)
{
    if (stoppedBy != 0)
        return;
    stoppedBy = signal;
    arrivals.setEnabled(false);
    station.stop();
    if (station.isIdle())
        return end(ExitCode::afterSignal(request.command, signal, anyFailed));
    connect(&station, &UpdateStation::idle, this, [this] { end(ExitCode::afterSignal(request.command, stoppedBy, anyFailed)); });
    QTimer::singleShot(stopWaitMs, this, [this] { end(ExitCode::afterSignal(request.command, stoppedBy, true)); });
}

void CameraCommands::lookOnce(const std::function<void()> &then)
{
    // One look by each route, the adb one included, with the window's time limits.
    auto waiting = std::make_shared<QVector<CameraRoute>>(QVector<CameraRoute>{CameraRoute::Card, CameraRoute::Adb});
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(&station, &UpdateStation::passFinished, this, [waiting, connection, then](CameraRoute route) {
        waiting->removeAll(route);
        if (!waiting->isEmpty())
            return;
        QObject::disconnect(*connection);
        then();
    });
    station.lookOnce();
}

void CameraCommands::list()
{
    const QVector<AttachedCamera> cameras = station.cameras();
    for (const AttachedCamera &camera : cameras)
        printer.listed(camera, needsUpdate(camera));
    for (const AttachedCamera &camera : qAsConst(unreadable))
        printer.unreadable(camera);
    end(cameras.isEmpty() && unreadable.isEmpty() ? ExitCode::NothingToDo : ExitCode::Done);
}

void CameraCommands::update()
{
    QVector<AttachedCamera> chosen = station.cameras();
    if (!request.cameras.isEmpty()) {
        // One camera named twice is updated once: the station starts it once.
        QVector<AttachedCamera> named;
        for (const QString &id : request.cameras) {
            const QString wanted = sameCamera(id);
            const int before = named.size();
            for (const AttachedCamera &camera : qAsConst(chosen)) {
                if (sameCamera(camera.id()) == wanted)
                    named << camera;
            }
            if (named.size() == before) {
                CliPrinter::note(tr("no camera %1 is attached").arg(id));
                anyFailed = true;
            }
        }
        chosen = named;
    }
    if (chosen.isEmpty()) {
        CliPrinter::note(tr("nothing to update: no camera attached, or none of the ones named"));
        return end(ExitCode::NothingToDo);
    }
    UpdateRun *run = station.start(chosen);
    follow(run);
    connect(run, &UpdateRun::finished, this, [this] {
        if (stoppedBy == 0)
            end(anyFailed ? ExitCode::Failed : ExitCode::Done);
    });
}

void CameraCommands::watch()
{
    // Each camera once per attachment, as it is plugged in.
    arrivals.setEnabled(true);
    station.startWatching();
}

void CameraCommands::follow(UpdateRun *run)
{
    connect(run, &UpdateRun::progressed, this, [this, run](int index, const UpdateProgress &progress) {
        printer.progress(run->camera(index).id(), progress);
    });
    connect(run, &UpdateRun::cameraFinished, this, [this, run](int index) {
        const std::optional<UpdateOutcome> outcome = run->outcome(index);
        // What a stop ended before its turn was never begun: nothing to tell of it.
        if (!run->wasStarted(index) && outcome->end == UpdateEnd::Stopped)
            return;
        anyFailed = anyFailed || !outcome->succeeded();
        printer.result(run->camera(index), *outcome, station.source());
    });
}

void CameraCommands::end(int exitCode)
{
    if (!ended)
        emit done(exitCode);
    ended = true;
}
