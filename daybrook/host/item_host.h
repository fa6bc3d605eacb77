// The item's start and stop: the Today screen's initialisation entry and the shutdown that
// WM_DESTROY runs.
#pragma once
#include <windows.h>
#include <todaycmn.h>

extern const WCHAR kItemClassName[];

extern "C" HWND APIENTRY InitializeCustomItem(TODAYLISTITEM* item, HWND parent);
void shutdownItem();
bool isLandscape();

LRESULT CALLBACK ItemWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
DWORD WINAPI LoaderThread(LPVOID window);
