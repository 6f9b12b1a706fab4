#include "outside/background.h"

#include <windows.h>

void giveWayToForeground()
{
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
}
