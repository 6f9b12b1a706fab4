#include "outside/regularfile.h"

#include <QFile>
#include <QFileInfo>

bool openRegularFile(QFile &file, const QString &path, QString *why)
{
    // Windows has no FIFOs in folders; a device name (CON, NUL, COM1) opens without
    // waiting but is no file.
    if (!QFileInfo(path).isFile()) {
        *why = path + " is no regular file";
        return false;
    }
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        *why = path + ": " + file.errorString();
        return false;
    }
    return true;
}
