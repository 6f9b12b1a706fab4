#include "app/mainwindow.h"

#include "detection/processrunner.h"
#include "update/firmwareinstaller.h"
#include "update/updateprogress.h"

#include <QProcess>

int MainWindow::installFirmware(ASSET_INFORMATION *asset)
{
    UpdateProgress progress(this);
    FirmwareInstaller installer(*firmwareCache, progress, downloadLimits);
    return installer.install(*asset);
}

QByteArray MainWindow::runProcess(const QString &program, const QStringList &arguments)
{
    if (!arguments.isEmpty())
        return runProgram(program, arguments).standardOutput;
    // Without arguments the program string is a whole command line.
    QStringList words = QProcess::splitCommand(program);
    if (words.isEmpty())
        return QByteArray();
    const QString name = words.takeFirst();
    return runProgram(name, words).standardOutput;
}
