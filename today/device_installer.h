// The device installer's part in setting up an item library.
#pragma once
#include <windows.h>

// Loads the library and calls its self-registration and setup hook (install), or its removal
// hook; prints what happened. False when the library or its hooks could not be used.
bool runDeviceInstaller(const WCHAR* library, bool install);
