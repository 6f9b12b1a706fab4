#include "app/mainwindow.h"

#include "outside/processrunner.h"
#include "update/firmwareinstaller.h"
#include "app/updateprogress.h"
#include "update/stoprequest.h"

int MainWindow::installFirmware(ASSET_INFORMATION *asset)
{
    StopRequest stop;
    UpdateProgress progress(this, *asset, limits.download.idleTimeoutMs, runPlace, deviceRowOnScreen(asset));
    connect(&progress, &UpdateProgress::cameraLost, &stop, &StopRequest::raise);
    FirmwareInstaller installer(*firmwareCache, progress.reporterForWorkers(), stop, limits);
    return installer.install(*asset);
}

QByteArray MainWindow::runProcess(const QString &program, const QStringList &arguments)
{
    return runProgram(program, arguments).standardOutput;
}
