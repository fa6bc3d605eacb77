#include "registration.h"
#include "../host/host_state.h"

#include <cwchar>

namespace {

const WCHAR kTodayItemsKey[] = L"Software\\Microsoft\\Today\\Items";
// The double quotes are part of the key's name.
const WCHAR kItemKeyName[] = L"\"Daybrook\"";
const WCHAR kSettingsKey[] = L"Software\\Orvane\\Daybrook";
const DWORD kCalendarItemType = 1;
const DWORD kCustomItemType = 4;
const DWORD kRefreshTodayItems = 0xF2;
const DWORD kUninstallWaitMilliseconds = 3000;

HRESULT statusFrom(LONG error) {
    return error > 0 ? static_cast<HRESULT>(0x80070000u | (static_cast<DWORD>(error) & 0xFFFF))
                     : static_cast<HRESULT>(error);
}

bool readDword(HKEY key, const WCHAR* name, DWORD* value) {
    DWORD type = 0;
    DWORD size = sizeof *value;
    return RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
               ERROR_SUCCESS &&
           type == REG_DWORD && size == sizeof *value;
}

LONG writeDword(HKEY key, const WCHAR* name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value);
}

// Calls visit(subkey) for every item subkey that opens; stops early when visit returns an error.
template <typename Visit> LONG forEachItem(HKEY items, Visit visit) {
    for (DWORD index = 0;; ++index) {
        WCHAR name[260];
        DWORD length = 260;
        if (RegEnumKeyExW(items, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            return ERROR_SUCCESS;
        HKEY item;
        if (RegOpenKeyExW(items, name, 0, KEY_READ | KEY_WRITE, &item) != ERROR_SUCCESS)
            continue;
        LONG status = visit(item);
        RegCloseKey(item);
        if (status != ERROR_SUCCESS)
            return status;
    }
}

// First pass: the largest order, and the enabled built-in Calendar item, which is disabled.
LONG disableCalendarItem(HKEY items, LONG* maxOrder, LONG* calendarOrder) {
    return forEachItem(items, [&](HKEY item) -> LONG {
        DWORD order;
        if (!readDword(item, L"Order", &order))
            return ERROR_SUCCESS;
        if (static_cast<LONG>(order) > *maxOrder)
            *maxOrder = static_cast<LONG>(order);
        DWORD type, enabled;
        if (readDword(item, L"Type", &type) && type == kCalendarItemType &&
            readDword(item, L"Enabled", &enabled) && enabled) {
            LONG status = writeDword(item, L"Enabled", 0);
            if (status != ERROR_SUCCESS)
                return status;
            *calendarOrder = static_cast<LONG>(order);
        }
        return ERROR_SUCCESS;
    });
}

// Second pass: everything from the Calendar's place down moves one place further down.
LONG makeRoomAt(HKEY items, LONG calendarOrder) {
    return forEachItem(items, [&](HKEY item) -> LONG {
        DWORD order;
        if (!readDword(item, L"Order", &order) || static_cast<LONG>(order) < calendarOrder)
            return ERROR_SUCCESS;
        return writeDword(item, L"Order", order + 1);
    });
}

LONG writeItemKey(HKEY items, LONG order) {
    HKEY item;
    LONG status = RegCreateKeyExW(items, kItemKeyName, 0, nullptr, 0, KEY_WRITE, nullptr, &item,
                                  nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    WCHAR path[MAX_PATH + 1];
    DWORD length = GetModuleFileNameW(gHost.moduleInstance, path, MAX_PATH);
    path[length < MAX_PATH ? length : MAX_PATH] = 0;
    if ((status = writeDword(item, L"Type", kCustomItemType)) == ERROR_SUCCESS &&
        (status = writeDword(item, L"Enabled", 1)) == ERROR_SUCCESS &&
        (status = writeDword(item, L"Options", 1)) == ERROR_SUCCESS &&
        (status = writeDword(item, L"Selectability", 2)) == ERROR_SUCCESS &&
        (order == -1 || (status = writeDword(item, L"Order", static_cast<DWORD>(order))) ==
                            ERROR_SUCCESS) &&
        (status = writeDword(item, L"Flags", 0)) == ERROR_SUCCESS)
        status = RegSetValueExW(item, L"DLL", 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                                (static_cast<DWORD>(wcslen(path)) + 1) * sizeof(WCHAR));
    RegCloseKey(item);
    return status;
}

void broadcastRefresh() {
    SendMessageW(HWND_BROADCAST, WM_WININICHANGE, kRefreshTodayItems, 0);
}

// Gives the Today screen time to drop the item and unload the library, while this thread's
// messages keep flowing.
void pumpMessagesFor(DWORD milliseconds) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

} // namespace

extern "C" HRESULT WINAPI DllRegisterServer() {
    HKEY items;
    LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTodayItemsKey, 0,
                                KEY_READ | KEY_WRITE, &items);
    if (status != ERROR_SUCCESS)
        return statusFrom(status);
    LONG maxOrder = -1;
    LONG calendarOrder = -1;
    LONG newOrder = -1;
    status = disableCalendarItem(items, &maxOrder, &calendarOrder);
    if (status == ERROR_SUCCESS) {
        if (calendarOrder == -1) {
            newOrder = maxOrder;
        } else {
            status = makeRoomAt(items, calendarOrder);
            newOrder = calendarOrder;
        }
    }
    if (status == ERROR_SUCCESS)
        status = writeItemKey(items, newOrder);
    RegCloseKey(items);
    return statusFrom(status);
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
    HKEY items;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTodayItemsKey, 0, KEY_READ | KEY_WRITE, &items) ==
        ERROR_SUCCESS) {
        forEachItem(items, [](HKEY item) -> LONG {
            DWORD type;
            if (readDword(item, L"Type", &type) && type == kCalendarItemType)
                writeDword(item, L"Enabled", 1);
            return ERROR_SUCCESS;
        });
        RegDeleteKeyW(items, kItemKeyName);
        RegCloseKey(items);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    return S_OK;
}

extern "C" InstallExitCode WINAPI Install_Exit(HWND, LPCWSTR, WORD, WORD, WORD, WORD, WORD) {
    broadcastRefresh();
    return codeINSTALL_EXIT_DONE;
}

extern "C" UninstallInitCode WINAPI Uninstall_Init(HWND, LPCWSTR) {
    WCHAR path[128];
    swprintf(path, 128, L"%ls\\%ls", kTodayItemsKey, kItemKeyName);
    HKEY item;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &item) != ERROR_SUCCESS)
        return codeUNINSTALL_INIT_CONTINUE;
    RegCloseKey(item);
    DllUnregisterServer();
    broadcastRefresh();
    pumpMessagesFor(kUninstallWaitMilliseconds);
    return codeUNINSTALL_INIT_CONTINUE;
}
