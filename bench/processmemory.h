#pragma once

#include <QtGlobal>

// This process's memory as the kernel counts it, in bytes: what is resident now, and
// the most that was resident since the last resetPeakResident().
qint64 residentBytes();
qint64 peakResidentBytes();
// Lowers the peak to what is resident now; false where the kernel cannot.
bool resetPeakResident();
