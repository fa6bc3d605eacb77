// The item's operations are linked into this program; it attaches them the way the loader
// attaches the library, enters the emulated device (its Windows folder is the current drive's,
// so "\windows\calendar.lnk" is found), sets its clock and zone, and starts COM as the Today
// screen's thread has it. The device's Calendar puts its own shortcut in place, as its installer
// would.
#include "store_calendar.h"

#include <device.h>
#include <gtest/gtest.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

namespace {

// Runs "calendar.exe --install-shortcut" from beside this program; false unless it succeeded.
bool installCalendarShortcut() {
    std::wstring program = testing_support::programFolder() + L"\\calendar.exe";
    std::wstring commandLine = L"\"" + program + L"\" --install-shortcut";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        return false;
    DWORD code = 1;
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code == 0;
}

class InteractEnvironment : public testing::Environment {
public:
    void SetUp() override {
        DllMain(GetModuleHandleW(nullptr), DLL_PROCESS_ATTACH, nullptr);
        ASSERT_TRUE(installCalendarShortcut())
            << "the Calendar puts \\windows\\calendar.lnk in place";
        DeviceEnter();
        DeviceSetClock(&kDeviceNow, FALSE);
        TIME_ZONE_INFORMATION utc = {};
        DeviceSetTimeZone(&utc);
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    }
    void TearDown() override {
        CoUninitialize();
        DeviceSetTimeZone(nullptr);
        DeviceSetClock(nullptr, FALSE);
        DllMain(GetModuleHandleW(nullptr), DLL_PROCESS_DETACH, nullptr);
    }
};

testing::Environment* const gEnvironment =
    testing::AddGlobalTestEnvironment(new InteractEnvironment);

} // namespace
