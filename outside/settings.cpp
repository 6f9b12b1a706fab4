#include "outside/settings.h"

std::unique_ptr<QSettings> workstationSettings()
{
    // Named here rather than through the application's organisation, which would move
    // the history and the cache to other folders as well.
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("vek-updater"),
                                       QStringLiteral("vek-updater"));
}
