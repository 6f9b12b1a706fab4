#pragma once

#include <QByteArray>
#include <QString>

// Text from outside (the catalogue, a camera's files, adb's output) is UTF-8 that ends
// at its first NUL byte, if it has one.
inline QString textBeforeNul(const QByteArray &bytes)
{
    const int nul = bytes.indexOf('\0');
    return QString::fromUtf8(nul < 0 ? bytes : bytes.left(nul));
}
