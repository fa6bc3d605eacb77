#include "extension_table.h"

#include "../host/proc_address.h"
#include <todaycmn.h>

#include <cwchar>

ExtensionTable gExtensions = {0, nullptr, 0};

namespace {

const WCHAR kExtensionsKey[] = L"Software\\Orvane\\Daybrook\\Extensions";
const int kNameLength = 100;
const int kPathLength = 260;

// Reads one value as an entry; false when it is not a string or does not fit the record.
bool readEntry(HKEY key, DWORD index, ExtensionEntry* entry) {
    DWORD nameLength = kNameLength;
    DWORD type = 0;
    WCHAR path[kPathLength + 1];
    DWORD pathBytes = sizeof path - sizeof(WCHAR);
    LONG status = RegEnumValueW(key, index, entry->name, &nameLength, nullptr, &type,
                                reinterpret_cast<BYTE*>(path), &pathBytes);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || nameLength == 0)
        return false;
    path[pathBytes / sizeof(WCHAR)] = 0; // the stored string need not be terminated
    if (path[0] == 0)
        return false;
    if (type == REG_EXPAND_SZ) {
        DWORD length = ExpandEnvironmentStringsW(path, entry->path, kPathLength);
        return length > 0 && length <= kPathLength;
    }
    if (wcslen(path) >= static_cast<size_t>(kPathLength))
        return false;
    wcscpy(entry->path, path);
    return true;
}

} // namespace

int loadExtensionTable() {
    if (gExtensions.count != 0)
        return gExtensions.count;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kExtensionsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    DWORD values = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
        values == 0) {
        RegCloseKey(key);
        return 0;
    }
    ExtensionEntry* entries = static_cast<ExtensionEntry*>(
        HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, values * sizeof(ExtensionEntry)));
    if (!entries) {
        RegCloseKey(key);
        return 0;
    }
    int count = 0;
    for (DWORD index = 0; index < values; ++index) {
        ExtensionEntry* entry = &entries[count];
        ZeroMemory(entry, sizeof *entry);
        if (readEntry(key, index, entry))
            ++count;
    }
    RegCloseKey(key);
    if (count == 0) {
        HeapFree(GetProcessHeap(), 0, entries);
        return 0;
    }
    gExtensions.entries = entries;
    gExtensions.count = count;
    return count;
}

ShowOptionDialogProc ensureLoaded(ExtensionEntry* entry) {
    if (entry->paintDayItem && entry->showOptionDialog)
        return entry->showOptionDialog;
    if (!entry->module) {
        entry->module = LoadLibraryW(entry->path);
        if (!entry->module)
            return nullptr;
    }
    if (!entry->paintDayItem)
        entry->paintDayItem = procAddress<PaintDayItemProc>(entry->module, "PaintDayItem");
    if (!entry->showOptionDialog)
        entry->showOptionDialog =
            procAddress<ShowOptionDialogProc>(entry->module, "ShowOptionDialog");
    return entry->showOptionDialog;
}

void addMenuEntries(HMENU menu, int firstId) {
    gExtensions.firstCommandId = firstId;
    for (int i = 0; i < gExtensions.count; ++i) {
        ExtensionEntry* entry = &gExtensions.entries[i];
        if (!ensureLoaded(entry))
            continue; // keeps its index: command ids are never compacted
        size_t length = wcsnlen(entry->name, kNameLength) + 4;
        WCHAR* text = static_cast<WCHAR*>(HeapAlloc(GetProcessHeap(), 0, length * sizeof(WCHAR)));
        if (!text)
            continue;
        swprintf(text, length, L"%.*ls...", kNameLength - 1, entry->name);
        AppendMenuW(menu, MF_STRING | MF_ENABLED, static_cast<UINT_PTR>(firstId + i), text);
        HeapFree(GetProcessHeap(), 0, text);
    }
}

void runMenuCommand(HWND window, int commandId) {
    int index = commandId - gExtensions.firstCommandId;
    if (index < 0 || index >= gExtensions.count)
        return;
    ExtensionEntry* entry = &gExtensions.entries[index];
    if (!entry->showOptionDialog)
        return;
    entry->showOptionDialog(window, entry);
    SendMessageW(window, WM_TODAYCUSTOM_CLEARCACHE, 0, 0);
}

ULONGLONG paintDayHeading(HDC dc, RECT* rect, DWORD dateLow, DWORD dateHigh, const WCHAR* text) {
    for (int i = 0; i < gExtensions.count; ++i) {
        ExtensionEntry* entry = &gExtensions.entries[i];
        ensureLoaded(entry);
        if (!entry->paintDayItem)
            continue;
        ULONGLONG result = entry->paintDayItem(dc, rect, dateLow, dateHigh, text);
        if (static_cast<DWORD>(result) != 0)
            return result;
    }
    return 0;
}

void unloadAll() {
    for (int i = 0; i < gExtensions.count; ++i) {
        if (gExtensions.entries[i].module)
            FreeLibrary(gExtensions.entries[i].module);
    }
    if (gExtensions.entries)
        HeapFree(GetProcessHeap(), 0, gExtensions.entries);
    gExtensions.entries = nullptr;
    gExtensions.count = 0;
}
