#pragma once

#include <QByteArray>
#include <QString>

// Puts the text in folder/NAME.prom whole or not at all: it is written to NAME.prom.tmp
// beside it, which the node exporter's textfile collector does not read, then renamed
// over the old file. So a scrape never sees half a file. Nothing is flushed to the
// disk: the file is rewritten every minute, and one lost in a power cut is no loss.
// False, with why, when it could not be written; blocks on the folder, so it is meant
// for a background thread.
bool writeMetricsFile(const QString &folder, const QString &name, const QByteArray &text, QString *why);
