#pragma once

#include <QString>

// `adb shell` joins its arguments with spaces and the device's shell runs the result,
// so every argument that must reach the device as one word is quoted for that shell.
// The whole argument goes inside single quotes; a single quote in it becomes '\''.
QString quoteForDeviceShell(const QString &argument);
