#pragma once

#include <QStringList>

class BenchSite;
class ResultTable;

// Each adds its rows to the table; none asserts anything about time.
void benchInstallTime(BenchSite &site, ResultTable &table, int repeats);
void benchReceiveOnly(BenchSite &site, ResultTable &table, int repeats);
void benchPeakMemory(BenchSite &site, ResultTable &table);
void benchDigest(BenchSite &site, ResultTable &table, int repeats);
void benchPolling(BenchSite &site, ResultTable &table);
void benchFleet(BenchSite &site, ResultTable &table, int repeats);
void benchRequestCount(BenchSite &site, ResultTable &table);
void benchSoak(BenchSite &site, ResultTable &table);

// The child process of benchPeakMemory: a window of its own over the cameras plugged
// in, idle, then Update All.
bool isMemoryProbe(const QStringList &commandLine);
int runMemoryProbe(const QStringList &arguments);
