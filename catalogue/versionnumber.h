#pragma once

#include <QString>

// A version string read as the decimal number that all its digits make in a row:
// "5.917" -> 5917, "V1.2.10" -> 1210. Non-ASCII digits make the conversion fail: 0.
double versionNumber(const QString &version);

// Whether a camera needs the catalogue's firmware. Any difference counts, so a camera
// with a newer version than the catalogue's is brought back to the published one.
// TZ41 cameras on 5.917 are never updated.
bool updateRequired(const QString &modelCode, const QString &catalogueVersion, const QString &deviceVersion);
