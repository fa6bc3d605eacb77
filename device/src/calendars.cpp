// The device's calendars, as a synchronised device holds them: the first is the one
// DeviceSetCalendarFile names, more are added beside it (files, folders of .ics files,
// calendar addresses). Also where subscriptions keep their copies and how often and how
// patiently they are fetched.
#define CEDEVICE_BUILD
#include "calendars.h"

#include "device.h"

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

const DWORD kDefaultRefreshSeconds = 900;
const DWORD kDefaultNetworkTimeout = 20000;
const wchar_t kDefaultSubscriptionFolder[] = L"C:\\Subscriptions";
// The environment holds the first calendar as DEVICE_CALENDAR, the others numbered from 2.
const int kFirstNumberedCalendar = 2;

struct CalendarState {
    SRWLOCK lock = SRWLOCK_INIT;
    std::vector<std::wstring> sources;
    std::wstring subscriptionFolder = kDefaultSubscriptionFolder;
    DWORD refreshSeconds = kDefaultRefreshSeconds;
    DWORD networkTimeout = kDefaultNetworkTimeout;
};

CalendarState gCalendars;

class Exclusive {
public:
    Exclusive() { AcquireSRWLockExclusive(&gCalendars.lock); }
    ~Exclusive() { ReleaseSRWLockExclusive(&gCalendars.lock); }
};

class Shared {
public:
    Shared() { AcquireSRWLockShared(&gCalendars.lock); }
    ~Shared() { ReleaseSRWLockShared(&gCalendars.lock); }
};

BOOL copyOut(const std::wstring& text, WCHAR* buffer, int bufferLength) {
    if (!buffer || bufferLength <= 0 || text.empty() ||
        text.size() >= static_cast<size_t>(bufferLength))
        return FALSE;
    lstrcpynW(buffer, text.c_str(), bufferLength);
    return TRUE;
}

bool readVariable(const std::wstring& name, std::wstring& value) {
    const DWORD needed = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    if (needed == 0)
        return false;
    value.assign(needed, L'\0');
    const DWORD length = GetEnvironmentVariableW(name.c_str(), &value[0], needed);
    if (length == 0 || length >= needed)
        return false;
    value.resize(length);
    return true;
}

std::wstring numberedName(int number) {
    return L"DEVICE_CALENDAR_" + std::to_wstring(number);
}

bool readNumber(const wchar_t* name, DWORD& number) {
    std::wstring text;
    if (!readVariable(name, text))
        return false;
    number = static_cast<DWORD>(wcstoul(text.c_str(), nullptr, 0));
    return true;
}

} // namespace

DEVICE_API void DeviceSetCalendarFile(const WCHAR* path) {
    Exclusive guard;
    gCalendars.sources.clear();
    if (path && *path)
        gCalendars.sources.emplace_back(path);
}

DEVICE_API BOOL DeviceGetCalendarFile(WCHAR* buffer, int bufferLength) {
    return DeviceGetCalendar(0, buffer, bufferLength);
}

DEVICE_API BOOL DeviceAddCalendar(const WCHAR* source) {
    if (!source || !*source || lstrlenW(source) >= DEVICE_CALENDAR_SOURCE_MAX)
        return FALSE;
    Exclusive guard;
    gCalendars.sources.emplace_back(source);
    return TRUE;
}

DEVICE_API BOOL DeviceGetCalendar(int index, WCHAR* buffer, int bufferLength) {
    Shared guard;
    if (index < 0 || static_cast<size_t>(index) >= gCalendars.sources.size())
        return FALSE;
    return copyOut(gCalendars.sources[static_cast<size_t>(index)], buffer, bufferLength);
}

DEVICE_API void DeviceSetSubscriptionFolder(const WCHAR* path) {
    Exclusive guard;
    gCalendars.subscriptionFolder = path && *path ? path : kDefaultSubscriptionFolder;
}

DEVICE_API BOOL DeviceGetSubscriptionFolder(WCHAR* buffer, int bufferLength) {
    Shared guard;
    return copyOut(gCalendars.subscriptionFolder, buffer, bufferLength);
}

DEVICE_API void DeviceSetSubscriptionRefresh(DWORD seconds, DWORD networkTimeoutMilliseconds) {
    Exclusive guard;
    gCalendars.refreshSeconds = seconds ? seconds : kDefaultRefreshSeconds;
    gCalendars.networkTimeout =
        networkTimeoutMilliseconds ? networkTimeoutMilliseconds : kDefaultNetworkTimeout;
}

DEVICE_API DWORD DeviceGetSubscriptionRefreshSeconds(void) {
    Shared guard;
    return gCalendars.refreshSeconds;
}

DEVICE_API DWORD DeviceGetNetworkTimeout(void) {
    Shared guard;
    return gCalendars.networkTimeout;
}

void LoadCalendarEnvironment() {
    std::wstring first;
    if (readVariable(L"DEVICE_CALENDAR", first)) {
        DeviceSetCalendarFile(first.c_str());
        std::wstring more;
        for (int number = kFirstNumberedCalendar; readVariable(numberedName(number), more);
             ++number)
            DeviceAddCalendar(more.c_str());
    }
    std::wstring folder;
    if (readVariable(L"DEVICE_SUBSCRIPTIONS", folder))
        DeviceSetSubscriptionFolder(folder.c_str());
    DWORD seconds = 0, timeout = 0;
    const bool refreshGiven = readNumber(L"DEVICE_REFRESH_SECONDS", seconds);
    const bool timeoutGiven = readNumber(L"DEVICE_NETWORK_TIMEOUT_MS", timeout);
    if (refreshGiven || timeoutGiven)
        DeviceSetSubscriptionRefresh(seconds, timeout);
}

void ExportCalendarEnvironment() {
    std::vector<std::wstring> sources;
    std::wstring folder;
    DWORD seconds, timeout;
    {
        Shared guard;
        sources = gCalendars.sources;
        folder = gCalendars.subscriptionFolder;
        seconds = gCalendars.refreshSeconds;
        timeout = gCalendars.networkTimeout;
    }
    SetEnvironmentVariableW(L"DEVICE_CALENDAR", sources.empty() ? nullptr : sources[0].c_str());
    int number = kFirstNumberedCalendar;
    for (size_t i = 1; i < sources.size(); ++i, ++number)
        SetEnvironmentVariableW(numberedName(number).c_str(), sources[i].c_str());
    std::wstring stale;
    for (; readVariable(numberedName(number), stale); ++number)
        SetEnvironmentVariableW(numberedName(number).c_str(), nullptr);
    SetEnvironmentVariableW(L"DEVICE_SUBSCRIPTIONS", folder.c_str());
    SetEnvironmentVariableW(L"DEVICE_REFRESH_SECONDS", std::to_wstring(seconds).c_str());
    SetEnvironmentVariableW(L"DEVICE_NETWORK_TIMEOUT_MS", std::to_wstring(timeout).c_str());
}
