#include "item_host.h"
#include "host_state.h"
#include "resource_module.h"
#include "../agenda/agenda_list.h"
#include "../extensions/extension_table.h"
#include "../render/drawing_caches.h"
#include "../render/markers.h"
#include "../settings/options.h"

#include <windbase.h>

#include <cwchar>

const WCHAR kItemClassName[] = L"DaybrookClass";

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        gHost.moduleInstance = instance;
        setIconModule(instance);
        InitializeCriticalSection(&gHost.lock);
    } else if (reason == DLL_PROCESS_DETACH) {
        // The shutdown's own unregistration runs while the item window still exists and so
        // fails; a class left behind would point into a library that is gone. A language module
        // left loaded would stay in the Today screen's process, locked against deletion, one
        // reference more for every load of the library. At process exit everything goes anyway.
        if (!reserved) {
            UnregisterClassW(kItemClassName, gHost.moduleInstance);
            resetResourceModule();
        }
        DeleteCriticalSection(&gHost.lock);
    }
    return TRUE;
}

namespace {

void registerItemClass() {
    UnregisterClassW(kItemClassName, gHost.moduleInstance);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = ItemWindowProc;
    windowClass.hInstance = gHost.moduleInstance;
    windowClass.lpszClassName = kItemClassName;
    RegisterClassW(&windowClass);
}

HWND createItemWindow(HWND parent) {
    RECT client = {};
    GetClientRect(parent, &client);
    if (client.right - client.left == 0) {
        client.left = 0;
        client.right = GetSystemMetrics(SM_CXSCREEN);
    }
    return CreateWindowExW(0, kItemClassName, L"", WS_VISIBLE | WS_CHILD, 0, 0,
                           client.right - client.left, 0, parent, nullptr, gHost.moduleInstance,
                           nullptr);
}

void reportWindowFailure() {
    WCHAR text[64];
    swprintf(text, sizeof text / sizeof text[0], L"Unable to create today window: %d",
             static_cast<int>(GetLastError()));
    MessageBoxW(nullptr, text, nullptr, MB_OK);
}

// Waits for the loader to end while this thread's queue stays alive, so that anything the
// loader's work sends to or through this thread's windows is still delivered.
void waitForLoader(HANDLE thread) {
    for (;;) {
        DWORD result = MsgWaitForMultipleObjectsEx(1, &thread, INFINITE, QS_ALLINPUT, 0);
        if (result != WAIT_OBJECT_0 + 1)
            return;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

void stopLoader() {
    EnterCriticalSection(&gHost.lock);
    gHost.loaderState = Stop;
    SetEvent(gHost.wakeEvent);
    LeaveCriticalSection(&gHost.lock);
    waitForLoader(gHost.loaderThread);
    CloseHandle(gHost.loaderThread);
    CloseHandle(gHost.wakeEvent);
    gHost.loaderThread = nullptr;
    gHost.wakeEvent = nullptr;
}

} // namespace

extern "C" HWND APIENTRY InitializeCustomItem(TODAYLISTITEM* item, HWND parent) {
    if (!item->fEnabled)
        return nullptr;
    gHost.moduleInstance = item->hinstDLL;
    setIconModule(item->hinstDLL);
    registerItemClass();
    loadOptions();
    loadExtensionTable();

    HWND window = createItemWindow(parent);
    if (!window) {
        reportWindowFailure();
        return nullptr;
    }
    if (!gHost.comInitialised && SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
        gHost.comInitialised = true;
    CEOID databaseOid = 0;
    gHost.notifyHandle = CeOpenDatabase(&databaseOid, const_cast<LPWSTR>(L"Appointments Database"),
                                        0, 0, window);
    gHost.dataDirty = false;
    gHost.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    gHost.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    gHost.wakeEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    gHost.loaderState = Reload;
    gHost.loaderThread = CreateThread(nullptr, 0, LoaderThread, window, 0, nullptr);
    SetEvent(gHost.wakeEvent);
    return window;
}

void shutdownItem() {
    if (gHost.loaderThread)
        stopLoader();
    if (gHost.notifyHandle != INVALID_HANDLE_VALUE) {
        CloseHandle(gHost.notifyHandle);
        gHost.notifyHandle = INVALID_HANDLE_VALUE;
    }
    destroyList(gHost.pendingList);
    gHost.pendingList = nullptr;
    destroyList(gHost.currentList);
    gHost.currentList = nullptr;
    if (gHost.comInitialised) {
        CoUninitialize();
        gHost.comInitialised = false;
    }
    releaseMarkerCache();
    releaseDrawingCaches();
    unloadAll();
    UnregisterClassW(kItemClassName, gHost.moduleInstance);
}

bool isLandscape() { return gHost.screenHeight < gHost.screenWidth; }
