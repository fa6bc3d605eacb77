// Turning the device: the screen changes, and the windows of this process hear of it the way a
// Pocket PC tells them, with WM_SETTINGCHANGE.
#define CEDEVICE_BUILD
#include "device.h"

#include <vector>

namespace {

BOOL CALLBACK collectOwnWindow(HWND window, LPARAM lParam) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId())
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(window);
    return TRUE;
}

// A window that belongs to another thread is asked with a time-out, so that one hung thread
// cannot stop the device from turning.
const UINT kTellTimeout = 2000;
// SETTINGCHANGE_RESET: the screen's size or orientation changed.
const WPARAM kSettingChangeReset = 0x3002;

} // namespace

DEVICE_API int DeviceTurnScreen(BOOL landscape) {
    DeviceScreen screen = DeviceGetScreen();
    DeviceSetScreen(screen.dpi > 96 ? DeviceScreenVga : DeviceScreenQvga, landscape);
    std::vector<HWND> windows;
    EnumWindows(collectOwnWindow, reinterpret_cast<LPARAM>(&windows));
    int told = 0;
    for (HWND window : windows) {
        DWORD_PTR result = 0;
        if (SendMessageTimeoutW(window, WM_SETTINGCHANGE, kSettingChangeReset, 0, SMTO_ABORTIFHUNG,
                                kTellTimeout, &result))
            ++told;
    }
    return told;
}
