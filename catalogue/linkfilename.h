#pragma once

#include <QString>

// The last segment of a catalogue link's path, decoded, when it is a plain file name:
// not empty, not "." or "..", without separators, drive colons or control characters.
// Empty otherwise: a link is outside input, and its name becomes a path in a folder.
QString plainFileNameOfLink(const QString &link);
