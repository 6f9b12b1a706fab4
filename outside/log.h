#pragma once

#include <QLoggingCategory>

// What the program notes for whoever looks into a problem: debug lines are off unless
// asked for (QT_LOGGING_RULES="vek.*.debug=true"), warnings on.
Q_DECLARE_LOGGING_CATEGORY(catalogueLog)
Q_DECLARE_LOGGING_CATEGORY(detectionLog)
Q_DECLARE_LOGGING_CATEGORY(updateLog)
Q_DECLARE_LOGGING_CATEGORY(historyLog)
