// The emulator as a person uses it: a device window on the desktop with a menu to turn the
// device, change its screen, open the item's settings and reload, driven by mouse and keys.
#pragma once
#include "today_screen.h"

struct ShellSettings {
    const WCHAR* item = nullptr;      // a library hosted directly instead of the registered items
    DWORD closeAfterMilliseconds = 0; // 0: until the window is closed
};

// Builds the window (framed, with its menu) and runs until it is closed. Returns the exit code.
int runDeviceShell(const ShellSettings& settings);
