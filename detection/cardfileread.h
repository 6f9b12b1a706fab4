#pragma once

#include <QByteArray>
#include <QString>

// The first maxBytes bytes of the regular file at path, or an empty array when there
// is no such file. Anything else standing at path (a FIFO, a device, a folder, a
// symbolic link) is not opened in a way that could wait, and reads as nothing: a
// card is outside input, and a FIFO would hold its volume's probe until given up.
QByteArray readRegularFileHead(const QString &path, qint64 maxBytes);
