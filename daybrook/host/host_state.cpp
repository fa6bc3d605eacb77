#include "host_state.h"

HostState gHost = {
    nullptr,              // moduleInstance
    {},                   // lock
    nullptr,              // wakeEvent
    nullptr,              // loaderThread
    Idle,                 // loaderState
    nullptr,              // pendingList
    nullptr,              // currentList
    false,                // dataDirty
    false,                // comInitialised
    INVALID_HANDLE_VALUE, // notifyHandle
    0,                    // screenHeight
    0,                    // screenWidth
    0,                    // menuDepth
    0,                    // zoneKey
    nullptr,              // resourceModule
    0,                    // resourceLocale
    0,                    // smallIconSize
    false,                // rtlLayout
    false,                // rtlKnown
};
