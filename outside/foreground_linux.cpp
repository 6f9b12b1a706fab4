#include "outside/background.h"

#include <cerrno>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

void giveWayToForeground()
{
    // On Linux a thread has a nice value of its own, taken by its thread id. Raising it
    // needs no privilege; a failure leaves the thread as it was, which is still correct.
    constexpr int backgroundNiceness = 5;
    const auto thread = id_t(::syscall(SYS_gettid));
    errno = 0;
    const int current = ::getpriority(PRIO_PROCESS, thread);
    if (errno == 0)
        ::setpriority(PRIO_PROCESS, thread, current + backgroundNiceness);
}
