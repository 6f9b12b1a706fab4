#pragma once

#include <QString>

class QFile;

// Opens the regular file at path for reading, and nothing else: a FIFO, a device or a
// socket standing in a folder that comes from outside (a stick carried between
// benches) is refused at once, rather than opened in a way that waits for a writer
// for ever. False, with why, when it cannot be opened or is no regular file.
bool openRegularFile(QFile &file, const QString &path, QString *why);
