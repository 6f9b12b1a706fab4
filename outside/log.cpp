#include "outside/log.h"

Q_LOGGING_CATEGORY(catalogueLog, "vek.catalogue", QtWarningMsg)
Q_LOGGING_CATEGORY(detectionLog, "vek.detection", QtWarningMsg)
Q_LOGGING_CATEGORY(updateLog, "vek.update", QtWarningMsg)
Q_LOGGING_CATEGORY(historyLog, "vek.history", QtWarningMsg)
