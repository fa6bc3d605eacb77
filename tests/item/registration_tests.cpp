// Registration in the Today item list and the installer's hooks, through the library's exports.
#include "test_support.h"

#include <aclapi.h>
#include <sddl.h>
#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace testing_support;

namespace {

const wchar_t kItemsKey[] = L"Software\\Microsoft\\Today\\Items";
const wchar_t kOwnKey[] = L"\"Daybrook\"";

template <typename Proc> Proc exportOf(HMODULE module, const char* name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

struct TodayItem {
    DWORD type;
    DWORD order;
    DWORD enabled;
};

class RegistrationTest : public testing::Test {
protected:
    void SetUp() override {
        library = LoadLibraryW(L"daybrook.dll");
        ASSERT_NE(nullptr, library);
        registerServer = exportOf<HRESULT(WINAPI*)()>(library, "DllRegisterServer");
        unregisterServer = exportOf<HRESULT(WINAPI*)()>(library, "DllUnregisterServer");
        installExit = exportOf<int(WINAPI*)(HWND, LPCWSTR, WORD, WORD, WORD, WORD, WORD)>(
            library, "Install_Exit");
        uninstallInit = exportOf<int(WINAPI*)(HWND, LPCWSTR)>(library, "Uninstall_Init");
        ASSERT_TRUE(registerServer && unregisterServer && installExit && uninstallInit)
            << "the four setup exports are there by name";
    }
    void TearDown() override { FreeLibrary(library); }

    void addItem(const wchar_t* name, DWORD type, DWORD order, DWORD enabled = 1) {
        std::wstring path = std::wstring(kItemsKey) + L"\\" + name;
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                                                 KEY_WRITE, nullptr, &key, nullptr));
        RegSetValueExW(key, L"Type", 0, REG_DWORD, reinterpret_cast<BYTE*>(&type), 4);
        RegSetValueExW(key, L"Order", 0, REG_DWORD, reinterpret_cast<BYTE*>(&order), 4);
        RegSetValueExW(key, L"Enabled", 0, REG_DWORD, reinterpret_cast<BYTE*>(&enabled), 4);
        RegCloseKey(key);
    }
    bool readItem(const wchar_t* name, const wchar_t* value, DWORD* data) {
        std::wstring path = std::wstring(kItemsKey) + L"\\" + name;
        DWORD size = sizeof *data;
        return RegGetValueW(HKEY_LOCAL_MACHINE, path.c_str(), value, RRF_RT_REG_DWORD, nullptr,
                            data, &size) == ERROR_SUCCESS;
    }
    DWORD orderOf(const wchar_t* name) {
        DWORD order = 0xFFFFFFFF;
        readItem(name, L"Order", &order);
        return order;
    }

    ScopedRegistryKey items{HKEY_LOCAL_MACHINE, kItemsKey};
    HMODULE library = nullptr;
    HRESULT(WINAPI* registerServer)() = nullptr;
    HRESULT(WINAPI* unregisterServer)() = nullptr;
    int(WINAPI* installExit)(HWND, LPCWSTR, WORD, WORD, WORD, WORD, WORD) = nullptr;
    int(WINAPI* uninstallInit)(HWND, LPCWSTR) = nullptr;
};

} // namespace

TEST_F(RegistrationTest, TheItemTakesTheCalendarsPlaceAndTheRestMoveDown) {
    addItem(L"Owner", 0, 1);
    addItem(L"Mail", 2, 2);
    addItem(L"Calendar", 1, 3);
    addItem(L"Tasks", 3, 4);
    addItem(L"Other", 4, 5);
    EXPECT_EQ(S_OK, registerServer());
    EXPECT_EQ(1u, orderOf(L"Owner"));
    EXPECT_EQ(2u, orderOf(L"Mail"));
    EXPECT_EQ(4u, orderOf(L"Calendar"));
    EXPECT_EQ(5u, orderOf(L"Tasks"));
    EXPECT_EQ(6u, orderOf(L"Other"));
    DWORD enabled = 1;
    readItem(L"Calendar", L"Enabled", &enabled);
    EXPECT_EQ(0u, enabled) << "the built-in Calendar item is switched off";
    EXPECT_EQ(3u, orderOf(kOwnKey)) << "the item stands where the Calendar stood";

    struct Value {
        const wchar_t* name;
        DWORD expected;
    } values[] = {
        {L"Type", 4}, {L"Enabled", 1}, {L"Options", 1}, {L"Selectability", 2}, {L"Flags", 0}};
    for (const Value& value : values) {
        DWORD data = 0xdeadbeef;
        EXPECT_TRUE(readItem(kOwnKey, value.name, &data));
        EXPECT_EQ(value.expected, data) << testing::PrintToString(std::wstring(value.name));
    }
    wchar_t path[MAX_PATH] = {};
    DWORD size = sizeof path;
    std::wstring own = std::wstring(kItemsKey) + L"\\" + kOwnKey;
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_LOCAL_MACHINE, own.c_str(), L"DLL", RRF_RT_REG_SZ,
                                          nullptr, path, &size));
    wchar_t expected[MAX_PATH];
    GetModuleFileNameW(library, expected, MAX_PATH);
    EXPECT_STREQ(expected, path) << "the library's own full path";
}

TEST_F(RegistrationTest, WithoutAnEnabledCalendarTheItemTakesTheLargestOrder) {
    addItem(L"Owner", 0, 1);
    addItem(L"Calendar", 1, 2, 0);
    addItem(L"Tasks", 3, 7);
    EXPECT_EQ(S_OK, registerServer());
    EXPECT_EQ(7u, orderOf(kOwnKey)) << "the largest order present, not one more";
    EXPECT_EQ(1u, orderOf(L"Owner"));
    EXPECT_EQ(2u, orderOf(L"Calendar"));
    EXPECT_EQ(7u, orderOf(L"Tasks"));
}

TEST_F(RegistrationTest, AnEmptyItemListGetsNoOrder) {
    items.setDword(L"Placeholder", 0); // the key exists, no items
    EXPECT_EQ(S_OK, registerServer());
    DWORD type = 0;
    EXPECT_TRUE(readItem(kOwnKey, L"Type", &type));
    EXPECT_EQ(0xFFFFFFFFu, orderOf(kOwnKey)) << "no \"Order\" is written";
}

TEST_F(RegistrationTest, FailuresAreReportedAsConvertedRegistryErrors) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kItemsKey);
    EXPECT_EQ(static_cast<HRESULT>(0x80070002), registerServer())
        << "no item list: ERROR_FILE_NOT_FOUND as an HRESULT";

    addItem(L"Calendar", 1, 3);
    // The item's own key exists and may not be written: creating it fails part-way.
    std::wstring own = std::wstring(kItemsKey) + L"\\" + kOwnKey;
    HKEY locked;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, own.c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &locked, nullptr));
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:(A;;KR;;;WD)", SDDL_REVISION_1, &descriptor, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeySecurity(locked, DACL_SECURITY_INFORMATION, descriptor));
    LocalFree(descriptor);
    RegCloseKey(locked);
    HRESULT result = registerServer();
    EXPECT_EQ(static_cast<HRESULT>(0x80070005), result) << "ERROR_ACCESS_DENIED, converted";
    DWORD enabled = 1;
    readItem(L"Calendar", L"Enabled", &enabled);
    EXPECT_EQ(0u, enabled) << "what was written before the failure stays";
    EXPECT_EQ(4u, orderOf(L"Calendar"));
    // Let the cleanup remove the key again.
    PSECURITY_DESCRIPTOR open = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;KA;;;WD)", SDDL_REVISION_1, &open,
                                                         nullptr);
    HKEY reopened;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, own.c_str(), 0, WRITE_DAC, &reopened) == ERROR_SUCCESS) {
        RegSetKeySecurity(reopened, DACL_SECURITY_INFORMATION, open);
        RegCloseKey(reopened);
    }
    LocalFree(open);
}

TEST_F(RegistrationTest, UnregistrationEnablesEveryCalendarItemAndForgetsTheSettings) {
    ScopedRegistryKey settings(HKEY_CURRENT_USER, L"Software\\Orvane\\Daybrook");
    settings.setDword(L"Painter", 3);
    addItem(L"Calendar", 1, 3);
    addItem(L"SecondCalendar", 1, 6, 0);
    ASSERT_EQ(S_OK, registerServer());
    EXPECT_EQ(S_OK, unregisterServer());
    DWORD enabled = 0;
    readItem(L"Calendar", L"Enabled", &enabled);
    EXPECT_EQ(1u, enabled);
    enabled = 0;
    readItem(L"SecondCalendar", L"Enabled", &enabled);
    EXPECT_EQ(1u, enabled) << "also one the user had switched off";
    DWORD type;
    EXPECT_FALSE(readItem(kOwnKey, L"Type", &type)) << "the item's own key is gone";
    EXPECT_FALSE(settings.exists()) << "the settings are deleted";
    EXPECT_EQ(4u, orderOf(L"Calendar")) << "orders shifted at registration stay";
    EXPECT_EQ(S_OK, unregisterServer()) << "unregistering twice is harmless";
}

TEST_F(RegistrationTest, TheHooksBroadcastTheRefreshAndUninstallWaitsWhilePumping) {
    TestWindow today;
    EXPECT_EQ(0, installExit(nullptr, L"\\Program Files\\Daybrook", 0, 0, 0, 0, 0));
    ASSERT_EQ(1, today.received(WM_WININICHANGE));
    EXPECT_EQ(0xF2u, today.lastWParam(WM_WININICHANGE));

    // A wait would dispatch this message; returning at once leaves it queued.
    PostMessageW(today.hwnd(), WM_APP, 0, 0);
    EXPECT_EQ(0, uninstallInit(nullptr, L"\\Program Files\\Daybrook"));
    EXPECT_EQ(0, today.received(WM_APP)) << "not registered: returns at once";
    EXPECT_EQ(1, today.received(WM_WININICHANGE)) << "and broadcasts nothing";
    pumpMessages(0);
    ASSERT_EQ(1, today.received(WM_APP));

    addItem(L"Calendar", 1, 3);
    ASSERT_EQ(S_OK, registerServer());
    PostMessageW(today.hwnd(), WM_APP, 0, 0);
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(0, uninstallInit(nullptr, L"\\Program Files\\Daybrook"));
    // Only the least time is certain: a busy machine may make it longer.
    EXPECT_GE(GetTickCount64() - start, 2900u) << "about three seconds for the Today screen";
    EXPECT_EQ(2, today.received(WM_APP)) << "messages are dispatched while it waits";
    EXPECT_EQ(2, today.received(WM_WININICHANGE));
    DWORD type;
    EXPECT_FALSE(readItem(kOwnKey, L"Type", &type)) << "and it unregistered the item";
}
