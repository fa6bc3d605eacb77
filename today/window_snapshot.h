// Pictures of real windows: a window and its children printed into a bitmap, saved as PNG.
#pragma once
#include <windows.h>

// Prints the window's client area and every visible child into a PNG file; false on failure.
bool saveWindowSnapshot(HWND window, const WCHAR* path);
