#include "calendar_test_support.h"

#include "pimstore_diagnostics.h"

#include <device.h>
#include <gtest/gtest.h>

namespace calendar_testing {

using namespace store_testing;
using testing_support::joinPath;

DeviceCalendars::DeviceCalendars(const std::vector<std::wstring>& sources,
                                 DWORD networkTimeoutMilliseconds) {
    DeviceSetTimeZone(nullptr);
    TIME_ZONE_INFORMATION utc = utcZone();
    DeviceSetTimeZone(&utc);
    DeviceSetSubscriptionFolder(copies_.path().c_str());
    DeviceSetSubscriptionRefresh(1, networkTimeoutMilliseconds);
    DeviceSetCalendarFile(nullptr);
    for (const std::wstring& source : sources)
        EXPECT_TRUE(DeviceAddCalendar(source.c_str()));
}

DeviceCalendars::~DeviceCalendars() {
    DeviceSetCalendarFile(nullptr);
    // The store lets go of the subscriptions when it next looks at the device.
    reportMessages();
    DeviceSetSubscriptionFolder(nullptr);
    DeviceSetSubscriptionRefresh(0, 0);
    DeviceSetTimeZone(nullptr);
}

std::vector<std::wstring> DeviceCalendars::copies() const {
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(joinPath(copies_.path(), L"*.ics").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return found;
    do
        found.push_back(joinPath(copies_.path(), entry.cFileName));
    while (FindNextFileW(search, &entry));
    FindClose(search);
    return found;
}

std::wstring reportMessages() {
    PimStoreLoadReport report = {};
    auto getReport = reinterpret_cast<PimStoreGetLoadReportFunction>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"pimstore.dll"), "PimStoreGetLoadReport")));
    std::vector<WCHAR> text(16384);
    if (!getReport)
        return L"(no pimstore.dll loaded)";
    getReport(&report, text.data(), static_cast<int>(text.size()));
    return text.data();
}

std::vector<std::wstring> currentSubjects() {
    StoreSession store;
    return subjectsOf(store.items.get());
}

bool contains(const std::vector<std::wstring>& subjects, const std::wstring& subject) {
    for (const std::wstring& candidate : subjects) {
        if (candidate == subject)
            return true;
    }
    return false;
}

namespace {

// The time in 100 ns steps and a count: unique across the runs of a suite and within one.
std::string freshNamePrefix() {
    static LONG made = 0;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    char prefix[48];
    snprintf(prefix, sizeof prefix, "%08lx%08lx-%ld-", now.dwHighDateTime, now.dwLowDateTime,
             InterlockedIncrement(&made));
    return prefix;
}

} // namespace

bool CalendarServers::load() {
    WCHAR value[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"CALENDAR_SERVERS", value, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        ADD_FAILURE() << "CALENDAR_SERVERS names no folder: run the suite through ctest, whose "
                         "fixture starts the servers";
        return false;
    }
    folder = value;
    const std::string ports = readBytes(joinPath(folder, L"servers.txt"));
    const size_t http = ports.find("http="), https = ports.find("https="),
                 radicale = ports.find("radicale=");
    if (http == std::string::npos || https == std::string::npos || radicale == std::string::npos) {
        ADD_FAILURE() << "the servers did not write their ports";
        return false;
    }
    httpPort = std::atoi(ports.c_str() + http + 5);
    httpsPort = std::atoi(ports.c_str() + https + 6);
    radicalePort = std::atoi(ports.c_str() + radicale + 9);
    namePrefix = freshNamePrefix();
    return httpPort > 0 && httpsPort > 0 && radicalePort > 0;
}

std::wstring CalendarServers::calendarPath(const std::string& name) const {
    return L"/cal/" + utf16(namePrefix + name) + L".ics";
}

std::wstring CalendarServers::calendarAddress(const std::string& name) const {
    return L"http://127.0.0.1:" + std::to_wstring(httpPort) + calendarPath(name);
}

void CalendarServers::setMode(const std::string& name, const std::string& mode) const {
    ASSERT_TRUE(testing_support::writeFileBytes(
        joinPath(folder, L"modes\\" + utf16(namePrefix + name)), mode));
}

void CalendarServers::serve(const std::string& name, const std::string& calendar) const {
    // Beside and moved over, so that the server never sends half a file.
    const std::wstring path = joinPath(folder, L"files\\" + utf16(namePrefix + name) + L".ics");
    ASSERT_TRUE(testing_support::writeFileBytes(path + L".new", calendar));
    ASSERT_TRUE(MoveFileExW((path + L".new").c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));
}

std::string CalendarServers::log(const std::string& name) const {
    return readBytes(joinPath(folder, L"log\\" + utf16(namePrefix + name) + L".log"));
}

} // namespace calendar_testing
