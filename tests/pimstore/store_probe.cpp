// A separate program that uses the store the way the item does: creates the application through
// COM, logs on and counts today's appointments (occurrences included). Prints "count=N" and
// exits 0, or prints the failing step and its HRESULT and exits 1.
#include <device.h>
#include <device_env.h>
#include <pimstore.h>

#include <cstdio>

namespace {

int failed(const char* step, HRESULT result) {
    std::printf("%s failed: 0x%08lX\n", step, static_cast<unsigned long>(result));
    return 1;
}

BSTR dateText(DATE date) {
    BSTR text = nullptr;
    VarBstrFromDate(date, 0, 0, &text);
    return text;
}

// [End] >= today's midnight AND [Start] < tomorrow's, as the agenda asks for a day.
BSTR todayFilter() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    SYSTEMTIME midnight = now;
    midnight.wHour = midnight.wMinute = midnight.wSecond = midnight.wMilliseconds = 0;
    DATE today = 0;
    SystemTimeToVariantTime(&midnight, &today);
    BSTR from = dateText(today);
    BSTR to = dateText(today + 1);
    WCHAR filter[256];
    swprintf(filter, 256, L"[End] >= \"%ls\" AND [Start] < \"%ls\"", from, to);
    SysFreeString(from);
    SysFreeString(to);
    return SysAllocString(filter);
}

int countToday(IPOutlookApp* application) {
    HRESULT result = application->Logon(0);
    if (FAILED(result))
        return failed("Logon", result);
    IFolder* calendar = nullptr;
    result = application->GetDefaultFolder(olFolderCalendar, &calendar);
    if (FAILED(result))
        return failed("GetDefaultFolder", result);
    IPOutlookItemCollection* items = nullptr;
    result = calendar->get_Items(&items);
    calendar->Release();
    if (FAILED(result))
        return failed("get_Items", result);
    items->put_IncludeRecurrences(VARIANT_TRUE);
    BSTR filter = todayFilter();
    IPOutlookItemCollection* today = nullptr;
    result = items->Restrict(filter, &today);
    SysFreeString(filter);
    items->Release();
    if (FAILED(result))
        return failed("Restrict", result);
    int count = 0;
    if (today) {
        today->get_Count(&count);
        today->Release();
    }
    application->Logoff();
    std::printf("count=%d\n", count);
    return 0;
}

} // namespace

int main() {
    HRESULT result = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (FAILED(result))
        return failed("CoInitializeEx", result);
    IPOutlookApp* application = nullptr;
    result = CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp,
                              reinterpret_cast<void**>(&application));
    int exitCode = FAILED(result) ? failed("CoCreateInstance", result) : countToday(application);
    if (application)
        application->Release();
    CoUninitialize();
    return exitCode;
}
