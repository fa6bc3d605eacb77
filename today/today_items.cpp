#include "today_items.h"

#include <algorithm>

namespace {

const wchar_t kItemsKey[] = L"Software\\Microsoft\\Today\\Items";

DWORD readDword(HKEY key, const wchar_t* name, DWORD fallback) {
    DWORD value = 0;
    DWORD size = sizeof value;
    DWORD type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return fallback;
    return value;
}

std::wstring readString(HKEY key, const wchar_t* name) {
    wchar_t value[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH * sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::wstring();
    return value;
}

} // namespace

std::vector<TodayItemEntry> readTodayItems() {
    std::vector<TodayItemEntry> items;
    HKEY root;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kItemsKey, 0, KEY_READ, &root) != ERROR_SUCCESS)
        return items;
    for (DWORD index = 0;; ++index) {
        wchar_t name[260];
        DWORD length = 260;
        if (RegEnumKeyExW(root, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        HKEY key;
        if (RegOpenKeyExW(root, name, 0, KEY_READ, &key) != ERROR_SUCCESS)
            continue;
        TodayItemEntry entry;
        entry.name = name;
        entry.type = readDword(key, L"Type", 0xFFFFFFFF);
        entry.order = readDword(key, L"Order", 0xFFFFFFFF);
        entry.options = readDword(key, L"Options", 0);
        entry.selectability = readDword(key, L"Selectability", 0);
        entry.flags = readDword(key, L"Flags", 0);
        entry.library = readString(key, L"DLL");
        bool enabled = readDword(key, L"Enabled", 0) != 0;
        RegCloseKey(key);
        if (enabled && entry.type <= 4)
            items.push_back(entry);
    }
    RegCloseKey(root);
    std::stable_sort(items.begin(), items.end(),
                     [](const TodayItemEntry& a, const TodayItemEntry& b) {
                         return a.order != b.order ? a.order < b.order : a.name < b.name;
                     });
    return items;
}
