#pragma once

#include <QStringList>

class BenchSite;
class ResultTable;

// Each adds its rows to the table; none asserts anything about time.
void benchInstallTime(BenchSite &site, ResultTable &table, int repeats);
void benchReceiveOnly(BenchSite &site, ResultTable &table, int repeats);
void benchPeakMemory(BenchSite &site, ResultTable &table);
void benchDigest(BenchSite &site, ResultTable &table, int repeats);
void benchGuiStalls(BenchSite &site, ResultTable &table);
void benchRequestCount(BenchSite &site, ResultTable &table);

// The child process of benchPeakMemory: a window of its own, idle, then one install.
bool isMemoryProbe(const QStringList &commandLine);
int runMemoryProbe(const QStringList &arguments);
