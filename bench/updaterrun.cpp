#include "updaterrun.h"

#include "app/mainwindow.h"

#include <QElapsedTimer>
#include <QFile>

TimedInstall installWithFreshWindow(const QString &baseUrl, ASSET_INFORMATION record)
{
    QFile::remove(record.Update_Path);
    MainWindow window(nullptr, baseUrl);
    window.show();
    QElapsedTimer clock;
    clock.start();
    TimedInstall run;
    run.outcome = window.installFirmware(&record);
    run.seconds = double(clock.nsecsElapsed()) / 1e9;
    return run;
}
