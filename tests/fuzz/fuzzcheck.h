#pragma once

#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

// A broken property ends the run like a crash does, so that libFuzzer keeps the input
// and the scripts report it.
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "Property failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)

// Product code logs what it skips; at a hundred thousand inputs a second that drowns
// the fuzzer's own report.
inline void silenceQtMessages()
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
}
