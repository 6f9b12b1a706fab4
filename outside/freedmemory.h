#pragma once

// The C library keeps what a thread freed for that thread's heap to use again, one heap
// for each thread it has seen run at once. A station that runs a day of short-lived
// update threads would so hold tens of MiB it no longer uses, growing by the day. Once
// every update has ended, what is free goes back to the system.
void giveBackFreedMemory();
