#include "background_work.h"
#include "import_patch.h"

#include <vector>

namespace {

struct WatchedLibrary {
    HMODULE module;
    bool startedThread;
    bool workDone;
};

struct Watch {
    CRITICAL_SECTION lock;
    DWORD screenThread = 0; // the Today screen's own: its waits are not background work
    std::vector<WatchedLibrary> libraries;
    Watch() { InitializeCriticalSection(&lock); }
};

Watch& watch() {
    static Watch all;
    return all;
}

// Set on a thread whose last wait ended because an object it waited for was signalled.
thread_local bool tWokenByObject = false;

template <typename Function> Function real(const char* library, const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(library), name)));
}

const auto realCreateThread = real<decltype(&CreateThread)>("kernel32.dll", "CreateThread");
const auto realWaitForSingleObject =
    real<decltype(&WaitForSingleObject)>("kernel32.dll", "WaitForSingleObject");
const auto realWaitForMultipleObjects =
    real<decltype(&WaitForMultipleObjects)>("kernel32.dll", "WaitForMultipleObjects");
const auto realMsgWaitForMultipleObjects =
    real<decltype(&MsgWaitForMultipleObjects)>("user32.dll", "MsgWaitForMultipleObjects");
const auto realMsgWaitForMultipleObjectsEx =
    real<decltype(&MsgWaitForMultipleObjectsEx)>("user32.dll", "MsgWaitForMultipleObjectsEx");

template <typename Change> void changeLibraryAt(const void* code, Change change) {
    HMODULE module = moduleAt(code);
    EnterCriticalSection(&watch().lock);
    for (WatchedLibrary& library : watch().libraries)
        if (library.module == module)
            change(&library);
    LeaveCriticalSection(&watch().lock);
}

// A thread that was woken by an object and waits again has done what it was woken for.
void waitBegins(const void* caller) {
    if (tWokenByObject && GetCurrentThreadId() != watch().screenThread)
        changeLibraryAt(caller, [](WatchedLibrary* library) { library->workDone = true; });
}

DWORD waitEnded(DWORD result, DWORD count) {
    tWokenByObject =
        count > 0 && (result < WAIT_OBJECT_0 + count ||
                      (result >= WAIT_ABANDONED_0 && result < WAIT_ABANDONED_0 + count));
    return result;
}

HANDLE WINAPI createThread(LPSECURITY_ATTRIBUTES security, SIZE_T stack,
                           LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                           LPDWORD id) {
    changeLibraryAt(__builtin_return_address(0),
                    [](WatchedLibrary* library) { library->startedThread = true; });
    return realCreateThread(security, stack, start, parameter, flags, id);
}

DWORD WINAPI waitForSingleObject(HANDLE handle, DWORD milliseconds) {
    waitBegins(__builtin_return_address(0));
    return waitEnded(realWaitForSingleObject(handle, milliseconds), 1);
}

DWORD WINAPI waitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL all,
                                    DWORD milliseconds) {
    waitBegins(__builtin_return_address(0));
    return waitEnded(realWaitForMultipleObjects(count, handles, all, milliseconds), count);
}

DWORD WINAPI msgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL all,
                                       DWORD milliseconds, DWORD mask) {
    waitBegins(__builtin_return_address(0));
    return waitEnded(realMsgWaitForMultipleObjects(count, handles, all, milliseconds, mask), count);
}

DWORD WINAPI msgWaitForMultipleObjectsEx(DWORD count, const HANDLE* handles, DWORD milliseconds,
                                         DWORD mask, DWORD flags) {
    waitBegins(__builtin_return_address(0));
    return waitEnded(realMsgWaitForMultipleObjectsEx(count, handles, milliseconds, mask, flags),
                     count);
}

} // namespace

void watchBackgroundWork(HMODULE library) {
    EnterCriticalSection(&watch().lock);
    watch().screenThread = GetCurrentThreadId();
    bool known = false;
    for (WatchedLibrary& watched : watch().libraries)
        if (watched.module == library) {
            watched = WatchedLibrary{library, false, false};
            known = true;
        }
    if (!known)
        watch().libraries.push_back(WatchedLibrary{library, false, false});
    LeaveCriticalSection(&watch().lock);
    patchImport(library, "kernel32.dll", "CreateThread", reinterpret_cast<void*>(createThread));
    patchImport(library, "kernel32.dll", "WaitForSingleObject",
                reinterpret_cast<void*>(waitForSingleObject));
    patchImport(library, "kernel32.dll", "WaitForMultipleObjects",
                reinterpret_cast<void*>(waitForMultipleObjects));
    patchImport(library, "user32.dll", "MsgWaitForMultipleObjects",
                reinterpret_cast<void*>(msgWaitForMultipleObjects));
    patchImport(library, "user32.dll", "MsgWaitForMultipleObjectsEx",
                reinterpret_cast<void*>(msgWaitForMultipleObjectsEx));
}

bool firstBackgroundWorkDone() {
    EnterCriticalSection(&watch().lock);
    bool done = true;
    for (const WatchedLibrary& library : watch().libraries) {
        // A library unloaded since (the items were loaded again) has nothing left to do.
        const bool loaded = moduleAt(library.module) == library.module;
        done = done && (!loaded || !library.startedThread || library.workDone);
    }
    LeaveCriticalSection(&watch().lock);
    return done;
}
