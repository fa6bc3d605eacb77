// The item's operations are linked into this program; it attaches them the way the loader attaches
// the library, and enters the emulated device.
#include <gtest/gtest.h>
#include <device.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

namespace {

class ItemEnvironment : public testing::Environment {
public:
    void SetUp() override {
        DllMain(GetModuleHandleW(nullptr), DLL_PROCESS_ATTACH, nullptr);
        DeviceEnter();
    }
    void TearDown() override { DllMain(GetModuleHandleW(nullptr), DLL_PROCESS_DETACH, nullptr); }
};

testing::Environment* const gEnvironment = testing::AddGlobalTestEnvironment(new ItemEnvironment);

} // namespace
