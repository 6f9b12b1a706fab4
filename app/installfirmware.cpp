#include "app/mainwindow.h"

#include "outside/processrunner.h"
#include "update/firmwareinstaller.h"
#include "app/updateprogress.h"


int MainWindow::installFirmware(ASSET_INFORMATION *asset)
{
    UpdateProgress progress(this);
    FirmwareInstaller installer(*firmwareCache, progress.reporterForWorkers(), pushLimit);
    return installer.install(*asset);
}

QByteArray MainWindow::runProcess(const QString &program, const QStringList &arguments)
{
    return runProgram(program, arguments).standardOutput;
}
