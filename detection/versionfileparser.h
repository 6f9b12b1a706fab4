#pragma once

#include <QByteArray>
#include <QString>

// Takes the installed firmware version (line 1) and the brand code (line 2) out of the
// bytes of a camera's version file. It holds no data, so the volume probes and the adb
// worker may use the one instance at the same time.
class VersionFileParser
{
public:
    static VersionFileParser *instance();

    QString getVersion(const QByteArray &contents) const;
    QString getBrand(const QByteArray &contents) const;

private:
    VersionFileParser() = default;

    // lineNumber counts from 1.
    static QString lineValue(const QByteArray &contents, int lineNumber);
};
