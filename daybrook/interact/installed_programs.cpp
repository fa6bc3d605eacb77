#include "installed_programs.h"

namespace {

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
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Developer One, Inc.\\Agenda Fusion", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    BYTE location[520];
    DWORD size = sizeof location;
    LONG status = RegQueryValueExW(key, L"AppLocation", nullptr, nullptr, location, &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
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
