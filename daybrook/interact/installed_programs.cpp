#include "installed_programs.h"

namespace {

const WCHAR kAgendaFusionKey[] = L"SOFTWARE\\Developer One, Inc.\\Agenda Fusion";

bool canLoadLibrary(const WCHAR* name) {
    HMODULE module = LoadLibraryW(name);
    if (!module)
        return false;
    FreeLibrary(module);
    return true;
}

bool pocketInformantInstalled() {
    if (GetFileAttributesW(L"\\Windows\\PITab.exe") == INVALID_FILE_ATTRIBUTES)
        return false;
    return canLoadLibrary(L"PITools.dll") || canLoadLibrary(L"PINewEditUI.dll");
}

bool agendaFusionInstalled() {
    WCHAR location[MAX_PATH];
    return readAgendaFusionLocation(location, MAX_PATH);
}

// A stored string need not carry its terminator; one that fills the buffer has no room left.
bool endStoredString(WCHAR* text, DWORD bytes, int length) {
    const DWORD units = bytes / sizeof(WCHAR);
    if (units > 0 && text[units - 1] == 0)
        return true;
    if (units >= static_cast<DWORD>(length))
        return false;
    text[units] = 0;
    return true;
}

} // namespace

DWORD installedPrograms() {
    DWORD result = 0;
    if (pocketInformantInstalled())
        result |= PocketInformant;
    if (agendaFusionInstalled())
        result |= AgendaFusion;
    return result;
}

bool readAgendaFusionLocation(WCHAR* path, int length) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kAgendaFusionKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    WCHAR stored[MAX_PATH];
    DWORD type = 0;
    DWORD bytes = sizeof stored;
    const LONG status = RegQueryValueExW(key, L"AppLocation", nullptr, &type,
                                         reinterpret_cast<BYTE*>(stored), &bytes);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) ||
        !endStoredString(stored, bytes, MAX_PATH))
        return false;
    if (type == REG_SZ) {
        if (lstrlenW(stored) >= length)
            return false;
        lstrcpynW(path, stored, length);
        return true;
    }
    const DWORD expanded = ExpandEnvironmentStringsW(stored, path, static_cast<DWORD>(length));
    return expanded > 0 && expanded <= static_cast<DWORD>(length);
}
