// The process-wide values of the item host, shared by the Today screen's thread and the loader.
#pragma once
#include <windows.h>

class AgendaList;

enum LoaderState : LONG {
    Idle = 0,
    Stop = 1,
    Reload = 2,
};

struct HostState {
    HINSTANCE moduleInstance;
    CRITICAL_SECTION lock;
    HANDLE wakeEvent;
    HANDLE loaderThread;
    LONG loaderState;
    AgendaList* pendingList;
    AgendaList* currentList;
    bool dataDirty;
    bool comInitialised;
    HANDLE notifyHandle;
    LONG screenHeight;
    LONG screenWidth;
    LONG menuDepth;
    LONG zoneKey;

    // The resource module (see resource_module.cpp).
    HINSTANCE resourceModule;
    LCID resourceLocale;
    LONG smallIconSize;
    bool rtlLayout;
    bool rtlKnown;
};

extern HostState gHost;
