#include "app/mainwindow.h"
#include "catalogue/versionnumber.h"

double MainWindow::getVersionNumber(QString version)
{
    return versionNumber(version);
}

bool MainWindow::isUpdateRequired(ASSET_INFORMATION *asset)
{
    return updateRequired(asset->Model_Code, asset->Version, asset->Device_Version);
}
