#pragma once

#include <QIODevice>
#include <QString>

class QFile;

// Files of this user's own in a folder of theirs (the history), kept as privateFolder()
// keeps a folder: a file that is a link, or that another user owns, is neither written
// through nor read, since it would carry records somewhere else, or take someone
// else's for ours.

// Opens the file at file.fileName() without following a link. False, with why, when it
// is a link, no plain file, another user's, or cannot be opened; with Append, a missing
// file is made.
bool openOwnFile(QFile &file, QIODevice::OpenMode mode, QString *why);

// True when nothing is at path, or a plain file of this user's; false, with why, when
// something else is there.
bool isOwnFileOrAbsent(const QString &path, QString *why);
