// The Today screen's item list, as the device keeps it in the registry.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct TodayItemEntry {
    std::wstring name; // the subkey's name
    DWORD type = 0;    // 0 owner, 1 calendar, 2 mail, 3 tasks, 4 custom
    DWORD order = 0;
    DWORD options = 0;
    DWORD selectability = 0;
    DWORD flags = 0;
    std::wstring library; // "DLL", for custom items
};

// The enabled items in their order (ties by name).
std::vector<TodayItemEntry> readTodayItems();
