// The store is found through its registration: from another process, as the item's host finds
// it, and by its own registration and unloading entry points.
#include "store_test_support.h"

#include <device.h>
#include <gtest/gtest.h>

using namespace store_testing;

namespace {

class StoreActivationTest : public testing::Test {
protected:
    ComApartment apartment_;
};

// Runs a program with the current environment and returns what it printed, or "" on failure.
std::string runProgram(const std::wstring& path, DWORD* exitCode) {
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0))
        return "";
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::wstring commandLine = L"\"" + path + L"\"";
    const BOOL started = CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    std::string output;
    if (started) {
        char buffer[512];
        DWORD got = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
            output.append(buffer, got);
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, exitCode);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(readEnd);
    return output;
}

TEST_F(StoreActivationTest, AnotherProcessCreatesTheStoreThroughComAndCountsItsDay) {
    DeviceCalendar calendar(calendarOf(
        eventText("morning", ":20240315T080000", ":20240315T090000", "Morning") +
        eventText("yesterday", ":20240314T080000", ":20240314T090000", "Yesterday") +
        eventText("daily", ":20240301T120000", ":20240301T130000", "Daily",
                  "RRULE:FREQ=DAILY\r\n") +
        eventText("overnight", ":20240314T220000", ":20240315T000000", "Ends at midnight")));
    // The child reads its device from the environment.
    testing_support::ScopedEnvironmentVariable file(L"DEVICE_CALENDAR", calendar.path().c_str());
    testing_support::ScopedEnvironmentVariable now(L"DEVICE_NOW", L"2024-03-15 07:00");
    testing_support::ScopedEnvironmentVariable zone(L"DEVICE_TZ_BIAS", L"0");
    DWORD exitCode = 99;
    const std::string output =
        runProgram(testing_support::programFolder() + L"\\pimstore_probe.exe", &exitCode);
    EXPECT_EQ(0u, exitCode) << output;
    EXPECT_EQ("count=3", output.substr(0, output.find_first_of("\r\n"))) << output;
}

TEST_F(StoreActivationTest, RegistrationWritesTheClassEntryAndRemovesIt) {
    ComPtr<IPOutlookApp> application;
    ASSERT_EQ(S_OK,
              CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp,
                               reinterpret_cast<void**>(application.receive())));
    HMODULE store = GetModuleHandleW(L"pimstore.dll");
    ASSERT_TRUE(store);
    using Entry = HRESULT(WINAPI*)();
    auto registerServer = reinterpret_cast<Entry>(
        reinterpret_cast<void*>(GetProcAddress(store, "DllRegisterServer")));
    auto unregisterServer = reinterpret_cast<Entry>(
        reinterpret_cast<void*>(GetProcAddress(store, "DllUnregisterServer")));
    ASSERT_TRUE(registerServer && unregisterServer);

    // This process's HKEY_CLASSES_ROOT is a scratch key meanwhile: the prefix's stays as it is.
    testing_support::ScopedRegistryKey scratch(HKEY_CURRENT_USER,
                                               L"Software\\Daybrook tests\\Classes");
    HKEY classes = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Daybrook tests\\Classes", 0, nullptr,
                              0, KEY_ALL_ACCESS, nullptr, &classes, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CLASSES_ROOT, classes));
    const wchar_t server[] = L"CLSID\\{05058F23-20BE-11D2-8F18-0000F87A4335}\\InprocServer32";
    EXPECT_EQ(S_OK, registerServer());
    WCHAR path[MAX_PATH] = {}, model[32] = {}, ownPath[MAX_PATH] = {};
    DWORD size = sizeof path;
    EXPECT_EQ(ERROR_SUCCESS,
              RegGetValueW(classes, server, nullptr, RRF_RT_REG_SZ, nullptr, path, &size));
    GetModuleFileNameW(store, ownPath, MAX_PATH);
    EXPECT_EQ(0, lstrcmpiW(ownPath, path));
    size = sizeof model;
    EXPECT_EQ(ERROR_SUCCESS, RegGetValueW(classes, server, L"ThreadingModel", RRF_RT_REG_SZ,
                                          nullptr, model, &size));
    EXPECT_STREQ(L"Both", model);
    EXPECT_EQ(S_OK, unregisterServer());
    HKEY gone = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(classes, server, 0, KEY_READ, &gone));
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    RegCloseKey(classes);
}

TEST_F(StoreActivationTest, LiveObjectsKeepTheLibraryAndTheWatcherOnlyWhileLoggedOn) {
    DeviceCalendar calendar(
        calendarOf(eventText("a", ":20240315T080000", ":20240315T090000", "A")));
    const int threadsBefore = testing_support::countProcessThreads();
    ComPtr<IAppointment> item;
    {
        StoreSession store;
        EXPECT_EQ(threadsBefore + 1, testing_support::countProcessThreads())
            << "logging on starts the folder watcher";
        item = itemAt(store.items.get(), 1);
    }
    auto canUnload = reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"pimstore.dll"), "DllCanUnloadNow")));
    ASSERT_TRUE(canUnload);
    EXPECT_EQ(S_FALSE, canUnload()) << "the item still holds its application";
    EXPECT_EQ(L"A", subjectOf(item.get())) << "and can still be read";
    item = ComPtr<IAppointment>();
    EXPECT_EQ(S_OK, canUnload());
    EXPECT_EQ(threadsBefore, testing_support::countProcessThreads())
        << "the watcher stopped with the last application";
}

} // namespace
