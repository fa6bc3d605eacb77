#include "calendar_report.h"

#include <pimstore_diagnostics.h>

#include <cwchar>
#include <vector>

void printCalendarProblems(std::FILE* out) {
    // Loaded by the item through COM; the emulator does not load it on its own.
    HMODULE store = GetModuleHandleW(L"pimstore.dll");
    auto getReport =
        store ? reinterpret_cast<PimStoreGetLoadReportFunction>(
                    reinterpret_cast<void*>(GetProcAddress(store, "PimStoreGetLoadReport")))
              : nullptr;
    if (!getReport)
        return;
    PimStoreLoadReport report = {};
    std::vector<WCHAR> messages(16384);
    getReport(&report, messages.data(), static_cast<int>(messages.size()));
    // Warnings (a property skipped) are for the store's log; errors and fetches are for people.
    for (WCHAR* line = messages.data(); *line;) {
        WCHAR* end = wcschr(line, L'\n');
        if (end)
            *end = 0;
        if (!wcsstr(line, L": warning: "))
            std::fwprintf(out, L"today: calendar: %ls\n", line);
        if (!end)
            break;
        line = end + 1;
    }
}
