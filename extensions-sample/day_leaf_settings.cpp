#include "day_leaf.h"

namespace {

const WCHAR kSettingsKey[] = L"Software\\Orvane\\DayLeaf";
const WCHAR kStyleValue[] = L"Style";

} // namespace

HeadingStyle loadHeadingStyle() {
    DWORD style = StyleLeaf;
    DWORD size = sizeof style;
    DWORD type = 0;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return StyleLeaf;
    LONG status =
        RegQueryValueExW(key, kStyleValue, nullptr, &type, reinterpret_cast<BYTE*>(&style), &size);
    RegCloseKey(key);
    // Anything unreadable or unknown is the first style.
    if (status != ERROR_SUCCESS || type != REG_DWORD || style > StyleBand)
        return StyleLeaf;
    return static_cast<HeadingStyle>(style);
}

bool saveHeadingStyle(HeadingStyle style) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    DWORD value = style;
    LONG status = RegSetValueExW(key, kStyleValue, 0, REG_DWORD,
                                 reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

HINSTANCE dayLeafInstance() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&dayLeafInstance), &module);
    return module;
}
