#include "calendar_report.h"

#include <pimstore.h>
#include <pimstore_diagnostics.h>

#include <cwchar>
#include <vector>

namespace {

template <typename Function> Function storeExport(const char* name) {
    HMODULE store = GetModuleHandleW(L"pimstore.dll");
    return store ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(store, name)))
                 : nullptr;
}

// Prints each line of text after the prefix; warnings (a property skipped) are for the store's
// log, errors and fetches are for people.
void printLines(std::FILE* out, const wchar_t* prefix, WCHAR* text) {
    for (WCHAR* line = text; *line;) {
        WCHAR* end = wcschr(line, L'\n');
        if (end)
            *end = 0;
        if (!wcsstr(line, L": warning: "))
            std::fwprintf(out, L"%ls%ls\n", prefix, line);
        if (!end)
            break;
        line = end + 1;
    }
}

} // namespace

void printCalendarProblems(std::FILE* out) {
    // Loaded by the item through COM; the emulator does not load it on its own.
    auto getReport = storeExport<PimStoreGetLoadReportFunction>("PimStoreGetLoadReport");
    if (!getReport)
        return;
    PimStoreLoadReport report = {};
    std::vector<WCHAR> messages(16384);
    getReport(&report, messages.data(), static_cast<int>(messages.size()));
    printLines(out, L"today: calendar: ", messages.data());
}

void fetchSubscriptionsNow(std::FILE* out) {
    // Through the store's registration, so that the library is the one the item will use.
    IClassFactory* factory = nullptr;
    if (FAILED(CoGetClassObject(CLSID_Application, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                reinterpret_cast<void**>(&factory))))
        return;
    auto fetch = storeExport<PimStoreFetchSubscriptionsFunction>("PimStoreFetchSubscriptions");
    if (fetch) {
        std::vector<WCHAR> problems(16384);
        const int fetched = fetch(problems.data(), static_cast<int>(problems.size()));
        if (fetched > 0)
            std::fwprintf(out, L"today: %d subscription(s) fetched\n", fetched);
        printLines(out, L"today: subscription: ", problems.data());
    }
    factory->Release();
}
