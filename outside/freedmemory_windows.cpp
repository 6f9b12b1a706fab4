#include "outside/freedmemory.h"

#include <malloc.h>

void giveBackFreedMemory()
{
    ::_heapmin();
}

void shareOneHeapBetweenThreads()
{
    // The Windows heap is one for all threads already.
}
