#pragma once

#include "update/filedigest.h"

#include <QString>

// Hashes the file as the medium returns it, bypassing what the operating system
// still remembers of the writing.
FileDigest digestFromMedium(const QString &path, const StopFlag &stop, const ByteProgress &progress = {});
