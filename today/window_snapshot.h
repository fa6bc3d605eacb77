// Pictures of real windows: a window and its children printed into a bitmap, saved as PNG.
#pragma once
#include <windows.h>

#include <vector>

// Prints the window's client area and every visible child into a PNG file; false on failure.
bool saveWindowSnapshot(HWND window, const WCHAR* path);

// The window's client area as 32-bit top-down BGRX pixels.
bool captureWindow(HWND window, std::vector<BYTE>* pixels, int* width, int* height);
// Pixels as captureWindow gives them, written as a PNG file.
bool savePixelsAsPng(const std::vector<BYTE>& pixels, int width, int height, const WCHAR* path);
// The layout of those pixels, and a bitmap of them that GDI can draw into.
BITMAPINFO pixelBitmapInfo(int width, int height);
HBITMAP createPixelBitmap(HDC dc, int width, int height, void** bits);
