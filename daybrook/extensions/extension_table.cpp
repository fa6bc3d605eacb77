#include "extension_table.h"

#include "../host/proc_address.h"
#include <todaycmn.h>

#include <cwchar>

ExtensionTable gExtensions = {0, nullptr, 0};

namespace {

const WCHAR kExtensionsKey[] = L"Software\\Orvane\\Daybrook\\Extensions";
const WCHAR kNameValue[] = L"Name";
const WCHAR kPathValue[] = L"Path";
const int kNameLength = 100;
const int kPathLength = 260;
// A registry key's name has at most 255 characters.
const DWORD kSubkeyNameLength = 256;
// Room to tell a text that is too long for the record from one that fits, and for a
// REG_EXPAND_SZ path that only fits once it is expanded.
const DWORD kValueLength = 1024;

enum class ValueRead { Missing, Read, Unusable };

// Reads a string value into text (at most length - 1 units), expanding REG_EXPAND_SZ. An empty
// string counts as missing; another type or a text that does not fit is unusable.
ValueRead readString(HKEY key, const WCHAR* valueName, WCHAR* text, DWORD length) {
    WCHAR value[kValueLength + 1];
    DWORD bytes = kValueLength * sizeof(WCHAR);
    DWORD type = 0;
    LONG status =
        RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes);
    if (status == ERROR_FILE_NOT_FOUND)
        return ValueRead::Missing;
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return ValueRead::Unusable;
    value[bytes / sizeof(WCHAR)] = 0; // the stored string need not be terminated
    if (value[0] == 0)
        return ValueRead::Missing;
    if (type == REG_EXPAND_SZ) {
        DWORD expanded = ExpandEnvironmentStringsW(value, text, length);
        return expanded > 0 && expanded <= length ? ValueRead::Read : ValueRead::Unusable;
    }
    if (wcslen(value) >= length)
        return ValueRead::Unusable;
    wcscpy(text, value);
    return ValueRead::Read;
}

// Reads one extension's subkey into an entry; false when the entry is left out.
bool readEntry(HKEY extensions, const WCHAR* subkeyName, ExtensionEntry* entry) {
    HKEY key;
    if (RegOpenKeyExW(extensions, subkeyName, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ValueRead path = readString(key, kPathValue, entry->path, kPathLength);
    ValueRead name = readString(key, kNameValue, entry->name, kNameLength);
    RegCloseKey(key);
    if (path != ValueRead::Read || name == ValueRead::Unusable)
        return false;
    if (name == ValueRead::Missing) {
        if (wcslen(subkeyName) >= static_cast<size_t>(kNameLength))
            return false;
        wcscpy(entry->name, subkeyName);
    }
    return true;
}

// Reads up to capacity subkeys in the registry's order; returns the number of entries filled.
int readEntries(HKEY extensions, ExtensionEntry* entries, DWORD capacity) {
    int count = 0;
    for (DWORD index = 0; index < capacity; ++index) {
        WCHAR subkeyName[kSubkeyNameLength];
        DWORD nameLength = kSubkeyNameLength;
        // Another program may remove subkeys meanwhile: the walk ends where the list does.
        if (RegEnumKeyExW(extensions, index, subkeyName, &nameLength, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS)
            break;
        ExtensionEntry* entry = &entries[count];
        ZeroMemory(entry, sizeof *entry);
        if (readEntry(extensions, subkeyName, entry))
            ++count;
    }
    return count;
}

DWORD subkeyCount(HKEY key) {
    DWORD subkeys = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    return subkeys;
}

// The heading hook is reached from the item window's thread and, while a list is measured line
// by line, from the loader thread: each entry's module is loaded and its entry points looked up
// under this lock, so that two first uses at once load it once. Made at first use (C++
// guarantees a thread-safe first initialisation); never deleted, like the render lock.
CRITICAL_SECTION* loadLock() {
    static CRITICAL_SECTION* lock = [] {
        static CRITICAL_SECTION section;
        InitializeCriticalSection(&section);
        return &section;
    }();
    return lock;
}

class ScopedLoadLock {
public:
    ScopedLoadLock() { EnterCriticalSection(loadLock()); }
    ~ScopedLoadLock() { LeaveCriticalSection(loadLock()); }

private:
    ScopedLoadLock(const ScopedLoadLock&) = delete;
    ScopedLoadLock& operator=(const ScopedLoadLock&) = delete;
};

} // namespace

int loadExtensionTable() {
    if (gExtensions.count != 0)
        return gExtensions.count;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kExtensionsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    DWORD capacity = subkeyCount(key);
    ExtensionEntry* entries =
        capacity == 0 ? nullptr
                      : static_cast<ExtensionEntry*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY,
                                                               capacity * sizeof(ExtensionEntry)));
    int count = entries ? readEntries(key, entries, capacity) : 0;
    RegCloseKey(key);
    if (count == 0) {
        if (entries)
            HeapFree(GetProcessHeap(), 0, entries);
        return 0;
    }
    gExtensions.entries = entries;
    gExtensions.count = count;
    return count;
}

ShowOptionDialogProc ensureLoaded(ExtensionEntry* entry) {
    ScopedLoadLock lock;
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

namespace {

// The entry's heading hook, its module loaded first; read under the lock that loads it.
PaintDayItemProc paintHookOf(ExtensionEntry* entry) {
    ScopedLoadLock lock;
    ensureLoaded(entry);
    return entry->paintDayItem;
}

} // namespace

ULONGLONG paintDayHeading(HDC dc, RECT* rect, DWORD dateLow, DWORD dateHigh, const WCHAR* text) {
    for (int i = 0; i < gExtensions.count; ++i) {
        PaintDayItemProc paint = paintHookOf(&gExtensions.entries[i]);
        if (!paint)
            continue;
        ULONGLONG result = paint(dc, rect, dateLow, dateHigh, text);
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
