#include "app/mainwindow.h"

int MainWindow::installFirmware(ASSET_INFORMATION *)
{
    return -1;
}

QByteArray MainWindow::runProcess(const QString &, const QStringList &)
{
    return QByteArray();
}
