// When the item libraries the screen hosts have finished their first background work (the
// agenda item: its first build), seen from outside: a thread a library started is woken by an
// object it waits for, and then waits again.
#pragma once
#include <windows.h>

// Watches the threads this library starts; called before the item is initialised. Watching a
// library again starts its watch afresh.
void watchBackgroundWork(HMODULE library);

// True once every watched library that started a thread has had one of them finish the work it
// was first woken for; libraries that started none have nothing to wait for.
bool firstBackgroundWorkDone();
