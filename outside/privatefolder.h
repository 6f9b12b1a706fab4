#pragma once

#include <QString>

// A folder of this user's own, for files another user must not read or swap (a
// verified firmware image). Made, with access for its owner only, where it is missing.
// A folder that is there already must be a real folder (not a link) that this user
// owns; others lose any access they had to it. An empty string when no such folder can
// be had.
QString privateFolder(const QString &path);
