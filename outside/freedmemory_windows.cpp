#include "outside/freedmemory.h"

#include <malloc.h>

void giveBackFreedMemory()
{
    ::_heapmin();
}
