// The library itself: its handle and whether it may be unloaded.
#pragma once

#include <windows.h>

namespace pimstore {

HMODULE moduleHandle();
// Once a calendar is loaded the library stays for the life of the process, so that the next
// Application finds it loaded (the item makes one per rebuild).
void keepModuleLoaded();
bool moduleInUse();
void lockModule(bool lock);

} // namespace pimstore
