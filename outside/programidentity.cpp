#include "outside/programidentity.h"

#include <QCoreApplication>

void setProgramIdentity()
{
    QCoreApplication::setApplicationName(QStringLiteral("vek-updater"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VEK_VERSION));
}
