#pragma once

#include <QByteArray>
#include <QString>

// Lays out a camera's card below root: the device folder DCIM/100{code}/ with
// the version file .version holding versionFileBytes (no file when the bytes
// are null), and the update folder DCIM/{code}LOAD/ when asked for.
// Returns where the firmware image belongs, root/DCIM/{code}LOAD/{code}UPDT.BIN,
// or an empty string when the layout could not be written.
QString makeCard(const QString &root, const QString &modelCode, const QByteArray &versionFileBytes,
                 bool withUpdateFolder);
