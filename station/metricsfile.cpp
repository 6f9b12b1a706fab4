#include "station/metricsfile.h"

#include "outside/durablefile.h"

#include <QFile>

bool writeMetricsFile(const QString &folder, const QString &name, const QByteArray &text, QString *why)
{
    const QString path = folder + '/' + name + QStringLiteral(".prom");
    QFile file(path + QStringLiteral(".tmp"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *why = file.fileName() + ": " + file.errorString();
        return false;
    }
    const bool written = file.write(text) == text.size() && file.flush();
    *why = file.fileName() + ": " + file.errorString();
    file.close();
    if (written && replaceFileAtomically(file.fileName(), path))
        return true;
    if (written)
        *why = "cannot rename " + file.fileName() + " to " + path;
    file.remove();
    return false;
}
