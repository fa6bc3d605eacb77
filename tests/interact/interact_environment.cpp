// The item's operations are linked into this program; it attaches them the way the loader
// attaches the library, enters the emulated device (its Windows folder is the current drive's,
// so "\windows\calendar.lnk" is found), sets its clock and zone, and starts COM as the Today
// screen's thread has it.
#include "store_calendar.h"

#include <device.h>
#include <gtest/gtest.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

namespace {

class InteractEnvironment : public testing::Environment {
public:
    void SetUp() override {
        DllMain(GetModuleHandleW(nullptr), DLL_PROCESS_ATTACH, nullptr);
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
