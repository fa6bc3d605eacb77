#include "item_host.h"
#include "host_state.h"
#include "../agenda/agenda_builder.h"
#include "../agenda/agenda_list.h"

namespace {

LONG readLoaderState() {
    EnterCriticalSection(&gHost.lock);
    LONG state = gHost.loaderState;
    LeaveCriticalSection(&gHost.lock);
    return state;
}

// The newest list wins: a pending list the window never took is destroyed.
void storePendingList(AgendaList* list) {
    EnterCriticalSection(&gHost.lock);
    destroyList(gHost.pendingList);
    gHost.pendingList = list;
    LeaveCriticalSection(&gHost.lock);
}

// Returns false when a stop was requested (also one that arrived during a build).
bool finishWakeUp() {
    EnterCriticalSection(&gHost.lock);
    bool stopping = gHost.loaderState == Stop;
    if (!stopping)
        gHost.loaderState = Idle;
    LeaveCriticalSection(&gHost.lock);
    return !stopping;
}

void dispatchQueuedMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace

DWORD WINAPI LoaderThread(LPVOID parameter) {
    HWND window = static_cast<HWND>(parameter);
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
        return static_cast<DWORD>(-1);
    bool running = true;
    while (running) {
        DWORD result = MsgWaitForMultipleObjectsEx(1, &gHost.wakeEvent, INFINITE, QS_ALLINPUT, 0);
        if (result == WAIT_OBJECT_0) {
            LONG state = readLoaderState();
            if (state == Reload) {
                AgendaList* list = BuildAgenda(window);
                if (list)
                    storePendingList(list);
            }
            running = finishWakeUp() && state != Stop;
        } else if (result == WAIT_OBJECT_0 + 1) {
            dispatchQueuedMessages();
        }
    }
    CoUninitialize();
    return 0;
}
